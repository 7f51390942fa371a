// The delete run against a scripted server and against the reference server.
#include <gtest/gtest.h>

#include "client/selection/Selection.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/StopFiles.h"
#include "tests/client/transfer/IndexFixture.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale::test {
namespace {

class DeleteRunTest : public IndexFixture {
 protected:
  void SetUp() override {
    IndexFixture::SetUp();
    backupInProgress = false;
    deleteInProgress = true;
  }
  void ExpectRunOver() {
    EXPECT_FALSE(deleteInProgress);
    ExpectLockFree();
  }
  const std::vector<std::string> paths{"C:\\a", "C:\\b", "C:\\c", "C:\\d"};
};

TEST_F(DeleteRunTest, StopDuringTheSecondNameStillRefreshesAndCompletes) {
  const std::string left = "C:\\c\t5\t3\t300\nC:\\d\t5\t4\t400\n";
  ScriptedServer server;
  server.Expect("DELETE").Send("HOW_MANY_FILES").Expect("4");
  for (int i = 0; i < 2; ++i) server.Send("SEND_ME_FILE_NAME").Expect(paths[i]);
  server.Send("SEND_ME_FILE_NAME")
      .Expect("STOP_DELETE")
      .Expect("SEND_QUOTA_DATA")
      .Send("1000:4000")
      .Expect("SEND_BACKED_UP_FILES")
      .Send(std::to_string(left.size()))
      .Expect("OK")
      .Send(left);
  Serve(server);
  list.onBar = [](int position) {
    if (position == 50) CreateStopFile(kDeleteStopFile);
  };
  EXPECT_EQ(RunDelete(*doc, *session, list, list, paths), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(list.bars(), (std::vector<int>{25, 50, 0}));
  EXPECT_EQ(list.names(), (std::vector<std::string>{"C:\\d", "C:\\c"}));
  EXPECT_EQ(list.searchText(), "");
  EXPECT_TRUE(list.buttonsDisabled);
  EXPECT_FALSE(plat::FileExists(kDeleteStopFile));
  EXPECT_EQ(mainWindow.quotas().size(), 1u);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kDeleteCompletedText});
  EXPECT_EQ(LogMessages(), std::vector<std::string>{kDeleteCompletedText});
  ExpectRunOver();
}

TEST_F(DeleteRunTest, AnUnexpectedRequestOffersTheSamePathAgain) {
  ScriptedServer server;
  server.Expect("DELETE")
      .Send("HOW_MANY_FILES")
      .Expect("1")
      .Send("HUH")
      .StaySilent(50)
      .Send("SEND_ME_FILE_NAME")
      .Expect("C:\\a")
      .Expect("SEND_QUOTA_DATA")
      .Close();
  Serve(server);
  EXPECT_EQ(RunDelete(*doc, *session, list, list, {"C:\\a"}, 300), 0);
  ExpectScriptFollowed(server);
  EXPECT_EQ(prompt.texts(),
            (std::vector<std::string>{"Error on request for file name", kDeleteCompletedText}));
  // The quota and the list stay as they were when the server gives nothing.
  EXPECT_TRUE(mainWindow.quotas().empty());
  EXPECT_EQ(list.fills(), 0);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"Error on request for file name",
                                                     kIndexLostText, kDeleteCompletedText}));
  ExpectRunOver();
}

TEST_F(DeleteRunTest, ALostConnectionEndsTheRunInOrder) {
  ScriptedServer server;
  server.Expect("DELETE").Send("HOW_MANY_FILES").Expect("2").Close();
  Serve(server);
  EXPECT_EQ(RunDelete(*doc, *session, list, list, {"C:\\a", "C:\\b"}, 300), 1);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kDeleteLostText});
  EXPECT_EQ(Log()[0].level, 2);
  EXPECT_FALSE(list.buttonsDisabled);
  ExpectRunOver();
}

TEST_F(DeleteRunTest, NothingTickedSendsNothing) {
  ScriptedServer server;
  server.StaySilent(100);
  Serve(server);
  EXPECT_EQ(RunDelete(*doc, *session, list, list, {}), 1);
  plat::SocketClose(session->sessionSocket);
  session->sessionSocket = -1;
  server.WaitFinished();
  EXPECT_EQ(server.received(), "");
  EXPECT_TRUE(prompt.boxes().empty());
  ExpectRunOver();
}

TEST_F(DeleteRunTest, ServerRefusingTheDeleteIsReported) {
  ScriptedServer server;
  server.Expect("DELETE").Send("UNKNOWN_COMMAND");
  Serve(server);
  EXPECT_EQ(RunDelete(*doc, *session, list, list, {"C:\\a"}), 1);
  EXPECT_EQ(prompt.texts(),
            std::vector<std::string>{"Cannot proceed with the delete, check the connection"});
  EXPECT_EQ(LogMessages(),
            std::vector<std::string>{"Could not proceed with the delete, check the connection"});
  ExpectRunOver();
}

// Files backed up to the reference server, listed, and deleted again.
TEST_F(DeleteRunTest, FourStoredFilesAreListedAndDeleted) {
  ReferenceServer server(world.root() + "/server");
  ASSERT_TRUE(server.running());
  ASSERT_EQ(server.Account({"add-user", "ann", "secret", "100000"}), 0);
  ConnectTo(server.port());
  std::string encrypted;
  ASSERT_GT(session->EncryptCredentials("ann,secret,", encrypted, Owner::None), 0);
  ASSERT_GT(SendBytes(session->sessionSocket, encrypted.data(), encrypted.size()), 0);
  ASSERT_EQ(ReceiveReply(session->sessionSocket, kLoginReplyCapacity), "OK");
  for (const std::string& path : paths) WriteFile(path, "contents of " + path);
  SelectionSnapshot selection;
  for (const std::string& path : paths)
    selection.chosenFiles.push_back({path, "C:", path.substr(3), 0});
  backupInProgress = true;
  ASSERT_EQ(RunBackup(*doc, *session, dialog, selection), 0);

  ASSERT_EQ(RetrieveIndex(*doc, *session, list, counters), 0);
  EXPECT_EQ(list.names(), (std::vector<std::string>{"C:\\d", "C:\\c", "C:\\b", "C:\\a"}));
  EXPECT_EQ(list.rows()[0].size, 16);
  EXPECT_EQ(list.rows()[0].modified,
            static_cast<int32_t>(plat::StatFile("C:\\d")->modificationTime));

  EXPECT_EQ(RunDelete(*doc, *session, list, list, paths), 0);
  EXPECT_EQ(list.bars(), (std::vector<int>{25, 50, 75, 100, 0}));
  EXPECT_TRUE(list.names().empty());
  EXPECT_EQ(prompt.texts().back(), kDeleteCompletedText);
  ExpectRunOver();
  // The server holds nothing more, and the session is still in step.
  RetrievalCounters again;
  EXPECT_EQ(RetrieveIndex(*doc, *session, list, again), 1);
  EXPECT_EQ(prompt.texts().back(), kNoStoredFilesText);
}

}  // namespace
}  // namespace arkvale::test
