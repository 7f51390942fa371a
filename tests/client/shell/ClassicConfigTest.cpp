#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Session.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/ClassicConfig.h"
#include "platform/StartupRegistration.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

class ClassicConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(installDir());
    ::setenv("XDG_CONFIG_HOME", (world.root() + "/config").c_str(), 1);
    doc = std::make_unique<CArkvaleDoc>(prompt);
  }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
  std::string installDir() const { return world.driveC() + "/Program Files/Arkvale"; }
  std::string ConfigText() const {
    return test::TempWorld::ReadHostFile(installDir() + "/config_file");
  }
  bool Save(const ClassicConfig& values, int loadedRunOnStartup) {
    return SaveClassicConfig(*doc, values, loadedRunOnStartup, [this] { ++iconRemovals; });
  }
  static ClassicConfig Values() {
    ClassicConfig values;
    values.settings = {"ann", "secret", "a key", "backup", 7, 0, 1, 1};
    values.runMinimized = 1;
    return values;
  }

  test::TempWorld world;
  test::RecordingPrompt prompt;
  std::unique_ptr<CArkvaleDoc> doc;
  int iconRemovals = 0;
};

TEST_F(ClassicConfigTest, WithoutAFileTheDefaultsShowAndTheFlagFileIsNotRead) {
  test::TempWorld::WriteHostFile(installDir() + "/run_minimized", "");
  const ClassicConfig values = LoadClassicConfig(kInstallDirectory);
  EXPECT_EQ(values.settings, ConfigSettings{});
  EXPECT_EQ(values.settings.logFilesToKeep, 5);
  EXPECT_EQ(values.settings.trayIcon, 1);
  EXPECT_EQ(values.runMinimized, 0);

  test::TempWorld::WriteHostFile(installDir() + "/config_file", "u\np\nk\ns\n12\n0\n1\n1\n");
  const ClassicConfig read = LoadClassicConfig(kInstallDirectory);
  EXPECT_EQ(read.settings, (ConfigSettings{"u", "p", "k", "s", 12, 0, 1, 1}));
  EXPECT_EQ(read.runMinimized, 1);
}

TEST_F(ClassicConfigTest, TheLogCountMustBeAnIntegerFrom1To30) {
  for (const char* typed : {"0", "31", "-1", "2147483647"}) {
    EXPECT_EQ(CheckLogCount(typed).refusal, "Please enter an integer between 1 and 30.") << typed;
  }
  for (const char* typed : {"", " ", "x", "5x", "1.5", "99999999999999999999", "+"}) {
    EXPECT_EQ(CheckLogCount(typed).refusal, "Please enter an integer.") << typed;
  }
  EXPECT_EQ(CheckLogCount("1").value, 1);
  EXPECT_EQ(CheckLogCount("30").value, 30);
  EXPECT_EQ(CheckLogCount(" 07 ").value, 7);
  EXPECT_TRUE(CheckLogCount("30").refusal.empty());
}

TEST_F(ClassicConfigTest, OkWritesTheFileTheFlagTheDocumentAndTheRegistration) {
  ASSERT_TRUE(Save(Values(), 0));
  EXPECT_EQ(ConfigText(), "ann\nsecret\na key\nbackup\n7\n0\n1\n1\n");
  EXPECT_EQ(std::filesystem::status(installDir() + "/config_file").permissions() &
                std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_TRUE(std::filesystem::exists(installDir() + "/run_minimized"));
  EXPECT_EQ(doc->userName, "ann");
  EXPECT_EQ(doc->password, "secret");
  EXPECT_EQ(doc->EncryptionKey(), "a key");
  EXPECT_EQ(doc->serverName, "backup");
  EXPECT_EQ(doc->trayIcon, 0);
  EXPECT_EQ(doc->minimizedWindow, 1);
  EXPECT_EQ(doc->logFilesToKeep, 5);
  EXPECT_EQ(iconRemovals, 1);
  EXPECT_TRUE(plat::HasStartupEntry());
  EXPECT_TRUE(prompt.texts().empty());

  // Switched back: flag file and entry go, the icon stays alone.
  ClassicConfig off = Values();
  off.settings.trayIcon = 1;
  off.settings.runOnStartup = 0;
  off.runMinimized = 0;
  ASSERT_TRUE(Save(off, 1));
  EXPECT_FALSE(std::filesystem::exists(installDir() + "/run_minimized"));
  EXPECT_FALSE(plat::HasStartupEntry());
  EXPECT_EQ(iconRemovals, 1);
  EXPECT_TRUE(prompt.texts().empty());
}

TEST_F(ClassicConfigTest, RunOnStartupAlreadyInTheFileLeavesTheRegistrationAlone) {
  ASSERT_TRUE(Save(Values(), 1));
  EXPECT_FALSE(plat::HasStartupEntry());
  ClassicConfig off = Values();
  off.settings.runOnStartup = 0;
  ASSERT_TRUE(Save(off, 0));
  EXPECT_TRUE(prompt.texts().empty());
}

TEST_F(ClassicConfigTest, AFileThatCannotBeWrittenChangesNothingElse) {
  std::filesystem::create_directories(installDir() + "/config_file");
  EXPECT_FALSE(Save(Values(), 0));
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, "Error opening the configuration file for writing");
  EXPECT_EQ(prompt.boxes()[0].caption, "Arkvale");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Error);
  EXPECT_EQ(prompt.boxes()[0].owner, Owner::ConfigDialog);
  EXPECT_EQ(test::LogMessagesOf(doc->eventLog.ReadAll(2000)),
            std::vector<std::string>{"Error opening the configuration file for writing"});
  EXPECT_EQ(test::ParseLogLines(doc->eventLog.ReadAll(2000))[0].level, 2);
  EXPECT_TRUE(doc->userName.empty());
  EXPECT_EQ(iconRemovals, 0);
  EXPECT_FALSE(std::filesystem::exists(installDir() + "/run_minimized"));
  EXPECT_FALSE(plat::HasStartupEntry());
}

TEST_F(ClassicConfigTest, AConnectAfterOkUsesTheNewServerAndAccount) {
  test::RecordingSessionView view;
  CSession session(*doc, view);
  session.Connect();
  EXPECT_EQ(prompt.texts(),
            std::vector<std::string>{"Fill in the backup server name in the configuration dialog"});

  test::ScriptedServer server;
  server.Start();
  session.serverPort = server.port();
  ASSERT_TRUE(Save(Values(), 0));
  view.QueueCancel();
  session.Connect();
  EXPECT_TRUE(server.connected());
  ASSERT_EQ(view.dialogs().size(), 1u);
  EXPECT_EQ(view.dialogs()[0].user, "ann");
  EXPECT_EQ(view.dialogs()[0].password, "secret");
}

}  // namespace
}  // namespace arkvale
