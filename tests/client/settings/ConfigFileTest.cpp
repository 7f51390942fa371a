#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <string>

#include "client/settings/ConfigFile.h"
#include "client/settings/EventLog.h"
#include "client/settings/InstallPaths.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

namespace fs = std::filesystem;
using test::RecordingPrompt;
using test::TempWorld;

class ConfigFileTest : public ::testing::Test {
 protected:
  ConfigFileTest() { fs::create_directories(installHost()); }
  std::string installHost() const { return world.driveC() + "/Program Files/Arkvale"; }
  std::string configHost() const { return installHost() + "/config_file"; }
  void WriteConfig(const std::string& bytes) { TempWorld::WriteHostFile(configHost(), bytes); }

  TempWorld world;
};

TEST_F(ConfigFileTest, MissingFileGivesTheDefaults) {
  EXPECT_FALSE(ReadConfigFile(kInstallDirectory).has_value());
  const ConfigSettings s = LoadConfigFile(kInstallDirectory);
  EXPECT_EQ(s.userName, "");
  EXPECT_EQ(s.password, "");
  EXPECT_EQ(s.encryptionKey, "");
  EXPECT_EQ(s.serverName, "");
  EXPECT_EQ(s.logFilesToKeep, 5);
  EXPECT_EQ(s.trayIcon, 1);
  EXPECT_EQ(s.minimizedWindow, 0);
  EXPECT_EQ(s.runOnStartup, 0);
  EXPECT_FALSE(RunMinimizedFlagSet(kInstallDirectory));
}

TEST_F(ConfigFileTest, SaveWritesTheExactLinesAndReadsThemBack) {
  RecordingPrompt prompt;
  ConfigSettings s{"ann", " pass word ", "my secret key", "vault", 12, 0, 1, 1};
  ASSERT_TRUE(SaveConfigFile(kInstallDirectory, s, {prompt}));
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()),
            "ann\n pass word \nmy secret key\nvault\n12\n0\n1\n1\n");
  struct stat st {};
  ASSERT_EQ(stat(configHost().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(ReadConfigFile(kInstallDirectory), s);
  EXPECT_TRUE(prompt.boxes().empty());

  // Saving again replaces the whole file, whichever caption the writer reports with.
  s.userName = "bob";
  ASSERT_TRUE(SaveConfigFile(kInstallDirectory, s, {prompt, kWizardCaption, Owner::Wizard}));
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()),
            "bob\n pass word \nmy secret key\nvault\n12\n0\n1\n1\n");
  for (const auto& entry : fs::directory_iterator(installHost()))
    EXPECT_EQ(entry.path().filename(), "config_file") << "left behind: " << entry.path();
}

TEST_F(ConfigFileTest, FlagsAreOneOnlyForExactlyOne) {
  for (const char* text : {"0", "2", "yes", "", "1 ", "true", " 1", "11"}) {
    WriteConfig(std::string("u\np\nk\ns\n5\n") + text + "\n" + text + "\n" + text + "\n");
    const ConfigSettings s = LoadConfigFile(kInstallDirectory);
    EXPECT_EQ(s.trayIcon, 0) << '"' << text << '"';
    EXPECT_EQ(s.minimizedWindow, 0) << '"' << text << '"';
    EXPECT_EQ(s.runOnStartup, 0) << '"' << text << '"';
  }
  // A file written on Windows (CR LF) reads the same.
  WriteConfig("u\r\np\r\nk\r\ns\r\n7\r\n1\r\n1\r\n1\r\n");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory), (ConfigSettings{"u", "p", "k", "s", 7, 1, 1, 1}));
}

TEST_F(ConfigFileTest, LogCountIsTheLeadingInteger) {
  const std::pair<const char*, int> cases[] = {{"12abc", 12},
                                               {"x", 0},
                                               {"", 0},
                                               {"-3", -3},
                                               {"  7", 7},
                                               {"99999999999", INT_MAX},
                                               {"-99999999999", INT_MIN}};
  for (const auto& [text, value] : cases) {
    WriteConfig(std::string("u\np\nk\ns\n") + text + "\n1\n0\n0\n");
    EXPECT_EQ(LoadConfigFile(kInstallDirectory).logFilesToKeep, value) << text;
  }
}

TEST_F(ConfigFileTest, ValuesFillingTheBufferShiftTheLines) {
  RecordingPrompt prompt;
  const std::string fits(kShortValueRoundTrip, 'a');
  ConfigSettings s{fits, fits, std::string(kLongValueRoundTrip, 'k'), "srv", 5, 1, 0, 0};
  ASSERT_TRUE(SaveConfigFile(kInstallDirectory, s, {prompt}));
  EXPECT_EQ(LoadConfigFile(kInstallDirectory), s);

  // 99 characters fill the 100-byte buffer: the newline left over is read as an empty password;
  // every later line moves up by one.
  s.userName = std::string(99, 'u');
  s.password = "pw";
  ASSERT_TRUE(SaveConfigFile(kInstallDirectory, s, {prompt}));
  const ConfigSettings back = LoadConfigFile(kInstallDirectory);
  EXPECT_EQ(back.userName, std::string(99, 'u'));
  EXPECT_EQ(back.password, "");
  EXPECT_EQ(back.encryptionKey, "pw");
  EXPECT_EQ(back.serverName, s.encryptionKey);
  EXPECT_EQ(back.logFilesToKeep, 0);  // "srv"
}

TEST_F(ConfigFileTest, AValueEndsAtALineBreakSoTheOthersKeepTheirLines) {
  RecordingPrompt prompt;
  ConfigSettings s{"ann", "pass\nword", "key\r\nrest", "vault", 7, 1, 1, 0};
  ASSERT_TRUE(SaveConfigFile(kInstallDirectory, s, {prompt}));
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()), "ann\npass\nkey\r\nvault\n7\n1\n1\n0\n");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory),
            (ConfigSettings{"ann", "pass", "key", "vault", 7, 1, 1, 0}));
}

TEST_F(ConfigFileTest, MissingLinesReadAsEmptyZeroAndOff) {
  WriteConfig("ann\nsecret\n");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory),
            (ConfigSettings{"ann", "secret", "", "", 0, 0, 0, 0}));
  WriteConfig("");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory), (ConfigSettings{"", "", "", "", 0, 0, 0, 0}));
  // A last line without its newline keeps its last character.
  WriteConfig("a\nb\nc\nd\n30\n1\n0\n10");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory).runOnStartup, 0);
  WriteConfig("a\nb\nc\nd\n30\n1\n0\n1");
  EXPECT_EQ(LoadConfigFile(kInstallDirectory).runOnStartup, 1);
}

TEST_F(ConfigFileTest, UnwritableFileIsReportedAndTheOldOneKept) {
  RecordingPrompt prompt;
  EventLog log([] { return std::time_t{1080659240}; });
  log.Open(kInstallDirectory, prompt);
  ASSERT_TRUE(log.IsOpen());

  // A directory in the way of the file: it cannot be replaced.
  fs::create_directories(configHost() + "/inside");
  ConfigSettings s;
  EXPECT_FALSE(SaveConfigFile(kInstallDirectory, s, {prompt, kCaption, Owner::ConfigDialog, &log}));
  ASSERT_EQ(prompt.boxes().size(), 1u);
  const test::ShownBox box = prompt.boxes()[0];
  EXPECT_EQ(box.text, "Error opening the configuration file for writing");
  EXPECT_EQ(box.caption, "Arkvale");
  EXPECT_EQ(box.icon, Icon::Error);
  EXPECT_EQ(box.owner, Owner::ConfigDialog);
  EXPECT_TRUE(fs::is_directory(configHost() + "/inside"));
  const std::string logged =
      TempWorld::ReadHostFile(installHost() + "/log/" + EventLog::FileNameFor(1080659240));
  EXPECT_NE(logged.find("\t2\tError opening the configuration file for writing\t"),
            std::string::npos)
      << logged;

  // The wizard keeps no log: its own caption, nothing else.
  fs::remove_all(installHost());
  RecordingPrompt wizard;
  EXPECT_FALSE(SaveConfigFile(kInstallDirectory, s, {wizard, kWizardCaption, Owner::Wizard}));
  ASSERT_EQ(wizard.boxes().size(), 1u);
  EXPECT_EQ(wizard.boxes()[0].caption, "Arkvale Configuration Wizard");
  EXPECT_EQ(wizard.boxes()[0].owner, Owner::Wizard);
}

TEST_F(ConfigFileTest, RunMinimizedFlagFile) {
  EXPECT_TRUE(SetRunMinimizedFlag(kInstallDirectory, false));  // nothing to remove is fine
  EXPECT_TRUE(SetRunMinimizedFlag(kInstallDirectory, true));
  EXPECT_TRUE(RunMinimizedFlagSet(kInstallDirectory));
  EXPECT_TRUE(fs::exists(installHost() + "/run_minimized"));
  EXPECT_EQ(fs::file_size(installHost() + "/run_minimized"), 0u);
  EXPECT_TRUE(SetRunMinimizedFlag(kInstallDirectory, false));
  EXPECT_FALSE(RunMinimizedFlagSet(kInstallDirectory));
  EXPECT_FALSE(fs::exists(installHost() + "/run_minimized"));
}

}  // namespace
}  // namespace arkvale
