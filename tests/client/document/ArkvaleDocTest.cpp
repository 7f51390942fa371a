#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "client/settings/InstallPaths.h"
#include "client/document/ArkvaleDoc.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

namespace fs = std::filesystem;
using test::RecordingPrompt;
using test::TempWorld;

constexpr std::time_t kTue30Mar2004 = 1080659240;

class ArkvaleDocTest : public ::testing::Test {
 protected:
  ArkvaleDocTest() { fs::create_directories(installHost()); }
  std::string installHost() const { return world.driveC() + "/Program Files/Arkvale"; }
  static EventLog::Clock FixedClock() {
    return [] { return kTue30Mar2004; };
  }

  TempWorld world;
  RecordingPrompt prompt;
};

TEST_F(ArkvaleDocTest, WithoutConfigurationTheDefaultsApplySilently) {
  CArkvaleDoc doc(prompt, FixedClock());
  EXPECT_EQ(doc.installDirectory, "C:\\Program Files\\Arkvale");
  EXPECT_TRUE(doc.userName.empty());
  EXPECT_TRUE(doc.password.empty());
  EXPECT_TRUE(doc.encryptionKey.empty());
  EXPECT_TRUE(doc.serverName.empty());
  EXPECT_EQ(doc.logFilesToKeep, 5);
  EXPECT_EQ(doc.trayIcon, 1);
  EXPECT_EQ(doc.minimizedWindow, 0);
  EXPECT_EQ(doc.loggedIn.load(), 0);
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_TRUE(doc.eventLog.IsOpen());
  EXPECT_EQ(&doc.prompt(), &prompt);
}

TEST_F(ArkvaleDocTest, LoadsTheFileCutsLongFieldsAndLogs) {
  const std::string longServer(150, 's');
  TempWorld::WriteHostFile(installHost() + "/config_file",
                           "ann\nsecret\nkey with blanks\n" + longServer + "\n9\n0\n1\n1\n");
  CArkvaleDoc doc(prompt, FixedClock());
  EXPECT_EQ(doc.userName.str(), "ann");
  EXPECT_EQ(doc.password.str(), "secret");
  EXPECT_EQ(doc.encryptionKey, "key with blanks");
  EXPECT_EQ(doc.serverName.str(), std::string(99, 's'));
  EXPECT_EQ(doc.logFilesToKeep, 9);
  EXPECT_EQ(doc.trayIcon, 0);
  EXPECT_EQ(doc.minimizedWindow, 1);

  doc.Log(1, "Summary", 1);
  EXPECT_EQ(TempWorld::ReadHostFile(installHost() + "/log/" + EventLog::FileNameFor(kTue30Mar2004)),
            EventLog::FormatLine(kTue30Mar2004, 1, "Summary", 1));

  doc.ApplySavedSettings({"bob", "pw", "k2", "other", 20, 1, 0, 1});
  EXPECT_EQ(doc.userName.str(), "bob");
  EXPECT_EQ(doc.password.str(), "pw");
  EXPECT_EQ(doc.encryptionKey, "k2");
  EXPECT_EQ(doc.serverName.str(), "other");
  EXPECT_EQ(doc.logFilesToKeep, 9);  // the count is not taken over
  EXPECT_EQ(doc.trayIcon, 1);
  EXPECT_EQ(doc.minimizedWindow, 0);
}

TEST_F(ArkvaleDocTest, WithoutInstallationDirectoryItRunsOnWithoutALog) {
  fs::remove_all(installHost());
  CArkvaleDoc doc(prompt, FixedClock());
  EXPECT_FALSE(doc.eventLog.IsOpen());
  EXPECT_EQ(prompt.texts(), (std::vector<std::string>{
                                "Failed to open the log directory",
                                "\n  ******** Failed to open log file for writing ********\n\n"}));
  doc.Log(2, "dropped");
  EXPECT_EQ(doc.logFilesToKeep, 5);
}

TEST_F(ArkvaleDocTest, ARunTakesTheKeyWholeWhileTheDialogReplacesIt) {
  CArkvaleDoc doc(prompt, FixedClock());
  // Long enough to live on the heap, so a torn read shows as a use of freed memory.
  const std::string first(300, 'a');
  const std::string second(500, 'b');
  doc.ApplySavedSettings({"ann", "pw", first, "server", 5, 1, 0, 0});
  std::atomic<bool> done{false};
  std::thread dialog([&] {
    for (int i = 0; !done; ++i) {
      doc.ApplySavedSettings({"ann", "pw", i % 2 ? first : second, "server", 5, 1, 0, 0});
    }
  });
  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string key = doc.EncryptionKey();
    if (key != first && key != second) ++torn;
  }
  done = true;
  dialog.join();
  EXPECT_EQ(torn, 0);
}

TEST(FieldStringTest, KeepsAtMostSizeMinusOneCharactersUpToANul) {
  FieldString<5> field = "abcdefg";
  EXPECT_EQ(field.str(), "abcd");
  field = std::string("ab\0cd", 5);
  EXPECT_EQ(field.str(), "ab");
  field = "";
  EXPECT_TRUE(field.empty());
}

}  // namespace
}  // namespace arkvale
