#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/server/Dialogues.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerHarness.h"

namespace arkvale::test {
namespace {

class BackupTest : public StorageTest {};
INSTANTIATE_TEST_SUITE_P(, BackupTest, testing::ValuesIn(EveryStorage()), StorageName);

TEST_P(BackupTest, StoredFileIsListedRestoredAndCountedInKilobytes) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  std::string data(1500, 'x');
  EXPECT_EQ(BackupOne(*client, "C:\\data\\a.txt", 1234, 1700000000, data), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "2:100");  // 1500 bytes take two kilobytes
  EXPECT_EQ(Listing(*client), "C:\\data\\a.txt\t1500\t1234\t1700000000\n");
  EXPECT_EQ(RestoreOne(*client, "C:\\data\\a.txt"), data);
  EXPECT_EQ(server.ObjectFiles().size(), 1u);
}

TEST_P(BackupTest, FileIsNeededOnlyWhenNewOrChanged) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\a.txt", 10, 500, "first"), "FILE_TRANSFER_SUCCESS");
  EXPECT_NE(BackupOne(*client, "C:\\a.txt", 10, 500, ""), "SEND_FILE");  // same copy
  EXPECT_NE(BackupOne(*client, "C:\\a.txt", 10, 400, ""), "SEND_FILE");  // older
  EXPECT_NE(BackupOne(*client, "C:\\empty.txt", 0, 900, ""), "SEND_FILE");
  EXPECT_EQ(BackupOne(*client, "C:\\a.txt", 11, 400, "second"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(BackupOne(*client, "C:\\a.txt", 11, 401, "third"), "FILE_TRANSFER_SUCCESS");
  // Replaced copies are gone from disk and from the quota.
  EXPECT_EQ(RestoreOne(*client, "C:\\a.txt"), "third");
  EXPECT_EQ(server.ObjectFiles().size(), 1u);
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "1:100");
}

TEST_P(BackupTest, SeveralFilesWithEveryKindOfAnswer) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\same.txt", 3, 100, "old"), "FILE_TRANSFER_SUCCESS");

  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("4"), "SEND_ME_FILE_INFO");
  // Not needed: the next request follows at once, a message of its own.
  client->Send(FileInfo("C:\\same.txt", 3, 100));
  EXPECT_EQ(client->ReceiveBytes(27), "NOT_NEEDEDSEND_ME_FILE_INFO");
  // Stored: likewise.
  EXPECT_EQ(client->Ask(FileInfo("C:\\new.txt", 5, 100)), "SEND_FILE");
  EXPECT_EQ(client->Ask("5"), "BEGIN_TO_SEND_THE_FILE");
  client->Send("fresh");
  EXPECT_EQ(client->ReceiveBytes(38), "FILE_TRANSFER_SUCCESSSEND_ME_FILE_INFO");
  // "0" in place of a size: the client could not read it, the next request is the answer.
  EXPECT_EQ(client->Ask(FileInfo("C:\\locked.txt", 9, 100)), "SEND_FILE");
  EXPECT_EQ(client->Ask("0"), "SEND_ME_FILE_INFO");
  // The last file, then the client's quota query: the dialogue is over.
  EXPECT_EQ(client->Ask(FileInfo("C:\\last.txt", 4, 100)), "SEND_FILE");
  EXPECT_EQ(client->Ask("4"), "BEGIN_TO_SEND_THE_FILE");
  EXPECT_EQ(client->Ask("last"), "FILE_TRANSFER_SUCCESS");
  EXPECT_TRUE(client->Silent(500));
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "3:100");
  EXPECT_EQ(Listing(*client),
            "C:\\last.txt\t4\t4\t100\nC:\\new.txt\t5\t5\t100\nC:\\same.txt\t3\t3\t100\n");
}

TEST(BackupMessageTest, ClientMessagesSharingOneSegmentAreTakenApart) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  // An empty send list: the count and the quota query arrive together.
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("0SEND_QUOTA_DATA"), "0:100");
  // A stop request and the quota query.
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask("STOP_BACKUPSEND_QUOTA_DATA"), "0:100");
  // A "0" for the last file and the quota query.
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\x.txt", 2, 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask("0SEND_QUOTA_DATA"), "0:100");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  EXPECT_TRUE(server.ObjectFiles().empty());
}

TEST(BackupMessageTest, MessagesSplitAcrossSegmentsAreJoined) {
  // A long settle time, so that a message taken too early cannot pass for a joined one.
  server::SessionSettings settings;
  settings.timing.settleMs = 400;
  ServerHarness server(settings);
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_INFO");
  // A description waits for the end of its form.
  client->Send("C:\\spl");
  EXPECT_EQ(client->Ask("it.txt?4?77"), "SEND_FILE");
  EXPECT_EQ(client->Ask("10"), "BEGIN_TO_SEND_THE_FILE");
  client->Send("01234");
  client->Send("56789");
  EXPECT_EQ(client->ReceiveBytes(38), "FILE_TRANSFER_SUCCESSSEND_ME_FILE_INFO");
  // One long enough to be cut at a segment boundary waits for the client's pause, even when
  // its first part already has the form of a whole one.
  const std::string info = FileInfo("C:\\" + std::string(600, 'd'), 4, 77);
  client->Send(info.substr(0, info.size() - 1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(client->Ask(info.substr(info.size() - 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask("3"), "BEGIN_TO_SEND_THE_FILE");
  EXPECT_EQ(client->Ask("abc"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(Listing(*client),
            "C:\\" + std::string(600, 'd') + "\t3\t4\t77\nC:\\split.txt\t10\t4\t77\n");
}

TEST(BackupMessageTest, AServerToldToSettleEveryMessageJoinsANumberCutInTwo) {
  server::SessionSettings settings;
  settings.timing.settleMs = 400;
  settings.timing.wholeBelow = 0;
  ServerHarness server(settings);
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\n.txt", 4, 77)), "SEND_FILE");
  client->Send("1");
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(client->Ask("0"), "BEGIN_TO_SEND_THE_FILE");
  EXPECT_EQ(client->Ask("0123456789"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(Listing(*client), "C:\\n.txt\t10\t4\t77\n");
}

TEST_P(BackupTest, DataOverTheQuotaIsRefusedAndNothingOfItKept) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\keep.txt", 4, 1, std::string(90 * 1024, 'k')),
            "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\big.txt", 4, 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask(std::to_string(10 * 1024 + 1)), "BEGIN_TO_SEND_THE_FILE");
  EXPECT_EQ(client->Ask(std::string(10 * 1024 + 1, 'b')), "FILE_TRANSFER_FAILURE");
  // The client leaves its loop after a failure; the server asks for nothing more.
  EXPECT_TRUE(client->Silent(500));
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "90:100");
  EXPECT_EQ(Listing(*client), "C:\\keep.txt\t92160\t4\t1\n");
  EXPECT_EQ(server.ObjectFiles().size(), 1u);
  // Exactly up to the limit is fine, and replacing a copy frees what it took.
  EXPECT_EQ(BackupOne(*client, "C:\\big.txt", 4, 1, std::string(10 * 1024, 'b')),
            "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(BackupOne(*client, "C:\\keep.txt", 5, 2, std::string(90 * 1024, 'K')),
            "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "100:100");
}

TEST_P(BackupTest, ConnectionLostInTheMiddleOfAFileKeepsTheOldCopy) {
  ServerHarness server(GetParam());
  {
    auto client = LoggedInClient(server.port());
    ASSERT_EQ(BackupOne(*client, "C:\\doc.txt", 3, 1, "old"), "FILE_TRANSFER_SUCCESS");
    EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
    EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
    EXPECT_EQ(client->Ask(FileInfo("C:\\doc.txt", 3, 2)), "SEND_FILE");
    EXPECT_EQ(client->Ask("1000"), "BEGIN_TO_SEND_THE_FILE");
    client->Send(std::string(400, 'n'));
    EXPECT_TRUE(client->Silent(200));
  }
  // The server notices the loss and removes the partial upload.
  std::vector<std::string> objects;
  for (int i = 0; i < 50; ++i) {
    objects = server.ObjectFiles();
    if (objects.size() == 1) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_EQ(objects.size(), 1u);
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(RestoreOne(*client, "C:\\doc.txt"), "old");
  EXPECT_EQ(Listing(*client), "C:\\doc.txt\t3\t3\t1\n");
}

TEST_P(BackupTest, TwoClientsBackUpAtOnce) {
  ServerHarness server(GetParam());
  server.catalog().AddUser("bob", "pw", 1000);
  auto run = [&](std::string user, std::string password, char fill) {
    auto client = LoggedInClient(server.port(), user, password);
    EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
    EXPECT_EQ(client->Ask("5"), "SEND_ME_FILE_INFO");
    for (int i = 0; i < 5; ++i) {
      EXPECT_EQ(client->Ask(FileInfo("C:\\f" + std::to_string(i), 9, 9)), "SEND_FILE");
      EXPECT_EQ(client->Ask("3000"), "BEGIN_TO_SEND_THE_FILE");
      for (int piece = 0; piece < 3; ++piece) client->Send(std::string(1000, fill));
      const std::string next = i < 4 ? "SEND_ME_FILE_INFO" : "";
      EXPECT_EQ(client->ReceiveBytes(21 + next.size()), "FILE_TRANSFER_SUCCESS" + next);
    }
  };
  std::thread first(run, "ann", "secret", 'a');
  std::thread second(run, "bob", "pw", 'b');
  first.join();
  second.join();
  EXPECT_EQ(server.catalog().QuotaOf("ann")->usedKb, 15);
  EXPECT_EQ(server.catalog().QuotaOf("bob")->usedKb, 15);
  auto client = LoggedInClient(server.port(), "bob", "pw");
  EXPECT_EQ(RestoreOne(*client, "C:\\f3"), std::string(3000, 'b'));
  EXPECT_EQ(server.ObjectFiles().size(), 10u);
}

TEST_P(BackupTest, AnUploadOvertakenByALaterCopyDoesNotReplaceIt) {
  ServerHarness server(GetParam());
  auto slow = LoggedInClient(server.port());
  EXPECT_EQ(slow->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(slow->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(slow->Ask(FileInfo("C:\\shared.txt", 4, 100)), "SEND_FILE");
  EXPECT_EQ(slow->Ask("4"), "BEGIN_TO_SEND_THE_FILE");
  // Meanwhile the same account stores a later copy of the same size from elsewhere.
  auto fast = LoggedInClient(server.port());
  EXPECT_EQ(BackupOne(*fast, "C:\\shared.txt", 4, 200, "late"), "FILE_TRANSFER_SUCCESS");
  // The earlier copy is as good as stored, but the later one stays.
  EXPECT_EQ(slow->Ask("old!"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(RestoreOne(*slow, "C:\\shared.txt"), "late");
  EXPECT_EQ(server.ObjectFiles().size(), 1u);
  EXPECT_EQ(slow->Ask("SEND_QUOTA_DATA"), "1:100");
}

}  // namespace
}  // namespace arkvale::test
