// An automatic backup that meets a session still being opened by another caller.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/ScheduleFile.h"
#include "client/session/Session.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BackupRun.h"
#include "platform/Install.h"
#include "platform/Paths.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {
namespace {

class AutomaticBackupSessionTest : public ::testing::Test {
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

  TempWorld world;
  RecordingPrompt prompt;
  RecordingSessionView mainWindow;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CSession> session;
};

TEST_F(AutomaticBackupSessionTest, SessionStillBeingOpenedPostponesTheRun) {
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
