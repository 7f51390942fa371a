// The schedule check starting the automatic backup against the reference server, with no session
// open beforehand; and a run that meets a session still being opened.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/AutomaticBackup.h"
#include "client/scheduler/ScheduleCheck.h"
#include "client/session/Session.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BackupRun.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/ReferenceServer.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace arkvale::test {
namespace {

class AutomaticBackupServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> installed;
    std::string error;
    ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
    ConfigSettings config;
    config.userName = "ann";
    config.password = "secret";
    config.encryptionKey = "a key of our own";
    config.serverName = "backup";
    TempWorld::WriteHostFile(Host(std::string(kInstallDirectory) + kConfigFileName),
                             FormatConfigFile(config));
    doc = std::make_unique<CArkvaleDoc>(prompt);
    session = std::make_unique<CSession>(*doc, mainWindow);
  }

  static std::string Host(const std::string& windowsPath) {
    return plat::ToHostPath(windowsPath).value_or("");
  }
  std::vector<std::string> LogMessages() const {
    return LogMessagesOf(doc->eventLog.ReadAll(4000));
  }

  TempWorld world;
  RecordingPrompt prompt;
  RecordingSessionView mainWindow;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;
};

TEST_F(AutomaticBackupServerTest, DueCheckConnectsAndStoresEveryFileOfTheSavedSet) {
  ReferenceServer server(world.root() + "/server");
  ASSERT_TRUE(server.running());
  ASSERT_EQ(server.Account({"add-user", "ann", "secret", "100000"}), 0);
  session->serverPort = server.port();
  TempWorld::WriteHostFile(Host("C:\\data\\a.txt"), "alpha");
  TempWorld::WriteHostFile(Host("C:\\data\\b.txt"), std::string(4000, 'b'));
  TempWorld::WriteHostFile(Host("C:\\set.bak"), "1\nC:\\data\n0\n");
  ScheduleSettings schedule;
  schedule.enabled = true;
  schedule.backupSetPath = "C:\\set.bak";
  schedule.hour = "07";
  schedule.minute = "00";
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, schedule));
  ASSERT_EQ(session->sessionSocket, -1);

  {
    CAutomaticBackup runs(*doc, *session);
    std::tm local{};
    local.tm_year = 126;
    local.tm_mon = 2;
    local.tm_mday = 10;
    local.tm_hour = 7;
    local.tm_min = 20;
    local.tm_isdst = -1;
    const std::time_t when = std::mktime(&local);
    CScheduleCheck check(
        *doc, [&runs](const std::string& path) { runs.StartAutomaticBackup(path); },
        [when] { return when; });
    check.Check();
    EXPECT_TRUE(check.scheduleDue());
  }  // waits for the run

  int stored = 0;
  for (const auto& entry : fs::directory_iterator(server.dataDirectory() + "/objects")) {
    if (entry.path().extension() != ".part") ++stored;
  }
  EXPECT_EQ(stored, 2);
  const auto log = LogMessages();
  ASSERT_FALSE(log.empty());
  EXPECT_NE(std::find(log.begin(), log.end(), "Automatic connection to server"), log.end());
  EXPECT_EQ(log.back(), "Automatic backup: All files in session transferred succesfully");
  EXPECT_EQ(prompt.texts().back(),
            "Finished automatic backup, All files in session transferred succesfully");
}

TEST_F(AutomaticBackupServerTest, SessionStillBeingOpenedPostponesTheRun) {
  ScriptedServer server;
  // Takes the credentials and leaves the login unanswered while the run comes and goes.
  server.ReceiveAny().StaySilent(4000).Close();
  server.Start();
  session->serverPort = server.port();
  TempWorld::WriteHostFile(Host("C:\\set.bak"), "0\n0\n");
  std::thread opening([this] { session->ConnectAutomatically(); });
  // Bounded wait for the credentials to reach the server: the session is then published.
  for (int i = 0; i < 400 && server.received().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  ASSERT_FALSE(server.received().empty());
  ASSERT_NE(session->sessionSocket, -1);
  const std::size_t credentialBytes = server.received().size();

  EXPECT_EQ(RunAutomaticBackup(*doc, *session, "C:\\set.bak"), 1);
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), 100u);
  opening.join();
  EXPECT_EQ(server.received().size(), credentialBytes);  // no "BACKUP" after the credentials
  EXPECT_EQ(session->sessionSocket, -1);
}

}  // namespace
}  // namespace arkvale::test
