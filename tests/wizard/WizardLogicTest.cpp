#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "client/document/ArkvaleDoc.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/ClassicConfig.h"
#include "platform/StartupRegistration.h"
#include "tests/support/FileAccessOverride.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"
#include "wizard/WizardSequence.h"
#include "wizard/WizardSettings.h"

namespace arkvale {
namespace {

namespace fs = std::filesystem;
using test::TempWorld;

class WizardLogicTest : public ::testing::Test {
 protected:
  WizardLogicTest() {
    fs::create_directories(installHost());
    ::setenv("XDG_CONFIG_HOME", (world.root() + "/config").c_str(), 1);
  }
  ~WizardLogicTest() override { ::unsetenv("XDG_CONFIG_HOME"); }
  std::string installHost() const { return world.driveC() + "/Program Files/Arkvale"; }
  std::string configHost() const { return installHost() + "/config_file"; }

  // Walks a fresh sequence from the user page to the summary with valid entries.
  WizardSequence ToSummary(const WizardSettings& loaded, const StartupChoices& choices) {
    WizardSequence s(loaded, prompt);
    s.EndUserPage(loaded.userName, "abc123", "abc123");
    s.EndServerPage("server3", false);
    s.EndKeyPage(loaded.encryptionKey, false);
    s.EndStartupPage(choices, false);
    EXPECT_EQ(s.page(), WizardPage::Summary);
    return s;
  }

  TempWorld world;
  test::RecordingPrompt prompt;
};

TEST_F(WizardLogicTest, PagesRefuseBadEntriesAndRepeat) {
  WizardSequence s(LoadWizardSettings(kInstallDirectory), prompt);
  s.EndUserPage("ann", "", "");
  s.EndUserPage("ann", "abc12", "abc12");
  s.EndUserPage("ann", "abc123", "abc124");
  s.EndUserPage("ann", "abc 123", "abc 123");
  s.EndUserPage("an.n", "abc123", "abc123");
  EXPECT_EQ(s.page(), WizardPage::User);
  // The refused name stays as typed for the next showing; the refused passwords are dropped.
  EXPECT_EQ(s.settings().userName, "an.n");
  EXPECT_EQ(s.settings().password, "");
  s.EndUserPage("Ann9", "abc123", "abc123");
  EXPECT_EQ(s.page(), WizardPage::Server);
  EXPECT_EQ(s.settings().password, "abc123");

  s.EndServerPage("server3.example", true);
  EXPECT_EQ(s.page(), WizardPage::Server);
  s.EndServerPage("server3.example", false);
  EXPECT_EQ(s.page(), WizardPage::Server);
  EXPECT_EQ(s.settings().serverName, "server3.example");
  s.EndServerPage("server3", true);
  EXPECT_EQ(s.page(), WizardPage::User);

  for (const auto& box : prompt.boxes()) {
    EXPECT_EQ(box.caption, "setwell");
    EXPECT_EQ(box.owner, Owner::Wizard);
  }
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{"Password entered was less than 6 characters in length",
                                      "Password entered was less than 6 characters in length",
                                      "The 2 passwords entered are not the same",
                                      "Incorrect characters entered for password",
                                      "Incorrect characters entered for user name",
                                      "Something incorrect entered for the backup server name",
                                      "Something incorrect entered for the backup server name"}));
}

TEST_F(WizardLogicTest, CharacterRuleAllowsOnlyAsciiLettersAndDigits) {
  EXPECT_TRUE(KeepsCharacterRule(""));
  EXPECT_TRUE(KeepsCharacterRule("AZaz09"));
  for (const char* bad : {"a b", "a-b", "a_b", "a.b", "caf\xc3\xa9", "a\tb", "@", "[", "`", "{"})
    EXPECT_FALSE(KeepsCharacterRule(bad)) << bad;
}

TEST_F(WizardLogicTest, KeyIsKeptAsTypedAcrossBackAndNext) {
  WizardSequence s(WizardSettings{}, prompt);
  s.EndUserPage("", "abc123", "abc123");
  s.EndServerPage("server3", false);
  s.EndKeyPage(" my key, with: punctuation! ", true);
  EXPECT_EQ(s.page(), WizardPage::Server);
  s.EndServerPage("server3", false);
  EXPECT_EQ(s.page(), WizardPage::Key);
  EXPECT_EQ(s.settings().encryptionKey, " my key, with: punctuation! ");
  s.EndKeyPage("", false);
  s.EndStartupPage({true, false, false, true}, true);
  EXPECT_EQ(s.page(), WizardPage::Key);
  EXPECT_TRUE(s.settings().runOnStartup);
  s.EndKeyPage("k", false);
  s.EndStartupPage({true, false, false, true}, false);
  s.EndSummaryPage(true);
  EXPECT_EQ(s.page(), WizardPage::Startup);
  s.EndStartupPage({}, false);
  s.EndSummaryPage(false);
  EXPECT_EQ(s.page(), WizardPage::Finished);
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(WizardLogicTest, LoadsWithItsOwnDefaultsAndWritesTheLogCountBack) {
  WizardSettings missing = LoadWizardSettings(kInstallDirectory);
  EXPECT_EQ(missing.logFilesToKeep, 5);
  EXPECT_FALSE(missing.minimizeToTray || missing.minimizeToTaskBar || missing.runOnStartup ||
               missing.runMinimized);

  TempWorld::WriteHostFile(configHost(), "ann\npass99\nmy key\nvault\n12\n1\n1\n0\n");
  TempWorld::WriteHostFile(installHost() + "/run_minimized", "");
  const WizardSettings loaded = LoadWizardSettings(kInstallDirectory);
  EXPECT_EQ(loaded.userName, "ann");
  EXPECT_EQ(loaded.serverName, "vault");
  EXPECT_TRUE(loaded.minimizeToTray && loaded.minimizeToTaskBar && loaded.runMinimized);

  WizardSequence s = ToSummary(loaded, {false, false, false, true});
  ASSERT_TRUE(FinishWizard(kInstallDirectory, s.settings(), loaded.runOnStartup, prompt));
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()), "ann\nabc123\nmy key\nserver3\n12\n1\n0\n0\n");
  EXPECT_FALSE(fs::exists(installHost() + "/run_minimized"));
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(WizardLogicTest, WritesTheSameBytesAsTheClassicDialog) {
  WizardSettings w{"ann", "abc123", "a key, with blanks!", "server3", 7, true, false, false, true};
  ASSERT_TRUE(FinishWizard(kInstallDirectory, w, false, prompt));
  const std::string wizardBytes = TempWorld::ReadHostFile(configHost());
  EXPECT_EQ(wizardBytes, "ann\nabc123\na key, with blanks!\nserver3\n7\n1\n0\n0\n");
  struct stat st {};
  ASSERT_EQ(::stat(configHost().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(fs::exists(installHost() + "/run_minimized"));

  fs::remove(configHost());
  CArkvaleDoc doc(prompt);
  const ClassicConfig classic{{"ann", "abc123", "a key, with blanks!", "server3", 7, 1, 0, 0}, 1};
  ASSERT_TRUE(SaveClassicConfig(doc, classic, 0, nullptr));
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()), wizardBytes);
}

TEST_F(WizardLogicTest, RegistrationChangesOnlyWhenTheValueChanged) {
  WizardSettings on;
  on.runOnStartup = true;
  // Read as 1 and left ticked: nothing touched (the entry stays absent, no removal attempted).
  ASSERT_TRUE(FinishWizard(kInstallDirectory, on, true, prompt));
  EXPECT_FALSE(plat::HasStartupEntry());
  // Read as 0 (or no file) and ticked: added.
  ASSERT_TRUE(FinishWizard(kInstallDirectory, on, false, prompt));
  EXPECT_TRUE(plat::HasStartupEntry());
  EXPECT_TRUE(prompt.boxes().empty());
  // Read as 1 and unticked: removed; removing it again fails with its own box.
  WizardSettings off;
  ASSERT_TRUE(FinishWizard(kInstallDirectory, off, true, prompt));
  EXPECT_FALSE(plat::HasStartupEntry());
  ASSERT_TRUE(FinishWizard(kInstallDirectory, off, true, prompt));
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, "Failed to remove arkvale from startup list in registry");
  EXPECT_EQ(prompt.boxes()[0].caption, "setwell");
  EXPECT_EQ(prompt.boxes()[0].owner, Owner::Wizard);
}

TEST_F(WizardLogicTest, AnUnwritableFileLeavesFlagAndRegistrationAlone) {
  TempWorld::WriteHostFile(configHost(), "old\n");
  WizardSettings s;
  s.runOnStartup = true;
  s.runMinimized = true;
  {
    test::WithoutFileAccessOverride obeyPermissions;
    ::chmod(installHost().c_str(), 0500);
    EXPECT_FALSE(FinishWizard(kInstallDirectory, s, false, prompt));
    ::chmod(installHost().c_str(), 0700);
  }
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()), "old\n");
  EXPECT_FALSE(fs::exists(installHost() + "/run_minimized"));
  EXPECT_FALSE(plat::HasStartupEntry());
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, "Error opening the configuration file for writing");
  EXPECT_EQ(prompt.boxes()[0].caption, "Arkvale Configuration Wizard");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Error);
}

}  // namespace
}  // namespace arkvale
