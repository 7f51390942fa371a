#include <gtest/gtest.h>

#include <string>

#include "tests/server/Dialogues.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerHarness.h"

namespace arkvale::test {
namespace {

class ListingTest : public StorageTest {};
class RestoreTest : public StorageTest {};
class DeleteTest : public StorageTest {};
INSTANTIATE_TEST_SUITE_P(, ListingTest, testing::ValuesIn(EveryStorage()), StorageName);
INSTANTIATE_TEST_SUITE_P(, RestoreTest, testing::ValuesIn(EveryStorage()), StorageName);
INSTANTIATE_TEST_SUITE_P(, DeleteTest, testing::ValuesIn(EveryStorage()), StorageName);

TEST_P(ListingTest, EmptyListingWorksWithAndWithoutTheFollowingOk) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  // The initial retrieval sends nothing after a length of 0.
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), "0");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  // The delete run's refresh sends "OK" and expects no listing bytes.
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), "0");
  client->Send("OK");
  EXPECT_TRUE(client->Silent(300));
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  // Also when the "OK" shares a segment with the next command.
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), "0");
  EXPECT_EQ(client->Ask("OKSEND_QUOTA_DATA"), "0:100");
}

TEST_P(ListingTest, LengthComesAloneAndTheListingOnlyAfterOk) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\My Documents\\a.txt", 7, 1000, "payload"),
            "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "Z:\\home\\ann\\b.txt", 70, 2000, "bb"), "FILE_TRANSFER_SUCCESS");
  std::string expected = "C:\\My Documents\\a.txt\t7\t7\t1000\nZ:\\home\\ann\\b.txt\t2\t70\t2000\n";
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), std::to_string(expected.size()));
  EXPECT_TRUE(client->Silent(300));
  client->Send("OK");
  EXPECT_EQ(client->ReceiveBytes(expected.size()), expected);
  EXPECT_TRUE(client->Silent(200));
  // A client that asks for something else instead of the listing is served that.
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), std::to_string(expected.size()));
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

TEST_P(RestoreTest, SendsTheStoredBytesAndZeroForUnknownPaths) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  std::string stored(2500, '\0');
  for (std::size_t i = 0; i < stored.size(); ++i) stored[i] = static_cast<char>(i * 7);
  ASSERT_EQ(BackupOne(*client, "C:\\bin.dat", 99, 5, stored), "FILE_TRANSFER_SUCCESS");

  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_EQ(client->Ask("3"), "OK");
  EXPECT_EQ(client->Ask("C:\\bin.dat"), "2500");
  client->Send("SEND_FILE");
  EXPECT_EQ(client->ReceiveBytes(2500), stored);
  EXPECT_TRUE(client->Silent(200));  // the server waits for the client's "OK"
  // "OK" and the next path in one segment; an unknown path has size 0 and no data.
  EXPECT_EQ(client->Ask("OKC:\\missing.txt"), "0");
  client->Send("SEND_FILE");
  EXPECT_TRUE(client->Silent(200));
  // "OK" then the third path, answered "DO_NOT_SEND_FILE" with the next command behind it.
  EXPECT_EQ(client->Ask("OKC:\\bin.dat"), "2500");
  EXPECT_EQ(client->Ask("DO_NOT_SEND_FILEPING"), "GOT_YOUR_PING");
}

TEST_P(RestoreTest, StopEndsTheRunAndSkippedFilesFollowBackToBack) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\a", 1, 1, "A"), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\b", 1, 1, "B"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_EQ(client->Ask("5"), "OK");
  EXPECT_EQ(client->Ask("C:\\a"), "1");
  EXPECT_EQ(client->Ask("DO_NOT_SEND_FILEC:\\b"), "1");
  client->Send("SEND_FILE");
  EXPECT_EQ(client->Receive(), "B");
  client->Send("OKSTOP_RESTORE");
  EXPECT_TRUE(client->Silent(300));
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

TEST_P(DeleteTest, DeletedFilesLeaveTheListingAndFreeTheQuota) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\one", 1, 1, std::string(3000, '1')), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\two", 1, 1, std::string(3000, '2')), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\three", 1, 1, "3"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "7:100");

  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("3"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("C:\\one"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("C:\\not-stored"), "SEND_ME_FILE_NAME");
  // The last name and the quota query of the delete run in one segment.
  EXPECT_EQ(client->Ask("C:\\threeSEND_QUOTA_DATA"), "3:100");
  EXPECT_EQ(Listing(*client), "C:\\two\t3000\t1\t1\n");
  EXPECT_EQ(server.ObjectFiles().size(), 1u);
}

TEST_P(DeleteTest, StopEndsTheRunAndAStoredNameEndingLikeACommandIsKeptWhole) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\x", 1, 1, "x"), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\SEND_QUOTA_DATA", 1, 1, "q"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("STOP_DELETESEND_QUOTA_DATA"), "2:100");

  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_NAME");
  client->Send("C:\\SEND_QUOTA_DATA");
  EXPECT_TRUE(client->Silent(300));
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "1:100");
  EXPECT_EQ(Listing(*client), "C:\\x\t1\t1\t1\n");
}

TEST_P(DeleteTest, TheUsageFigureStaysTheSumOfTheStoredFiles) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\a", 1, 1, std::string(1500, 'a')), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\b", 1, 1, std::string(4097, 'b')), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\a", 2, 2, std::string(9000, 'A')), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\b", 3, 3, "small"), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*client, "C:\\c", 1, 1, std::string(95 * 1024, 'c')),
            "FILE_TRANSFER_FAILURE");
  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("C:\\a"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("C:\\missingSEND_QUOTA_DATA"), "1:100");
  ASSERT_EQ(BackupOne(*client, "C:\\d", 1, 1, std::string(2049, 'd')), "FILE_TRANSFER_SUCCESS");

  std::int64_t sum = 0;
  for (const auto& file : server.catalog().Files("ann"))
    sum += server::KilobytesOf(file.storedBytes);
  EXPECT_EQ(sum, 4);
  EXPECT_EQ(server.catalog().QuotaOf("ann")->usedKb, sum);
  EXPECT_EQ(server.catalog().Accounts().at(0).usedKb, sum);
}

}  // namespace
}  // namespace arkvale::test
