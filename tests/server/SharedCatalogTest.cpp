#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>
#include <vector>

#include "tests/server/Dialogues.h"
#include "tests/server/PostgresService.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerHarness.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale::test {
namespace {

namespace fs = std::filesystem;

// Several servers on one PostgreSQL catalog.
class SharedCatalogTest : public StorageTest {};
INSTANTIATE_TEST_SUITE_P(, SharedCatalogTest, testing::Values(Storage{"PostgresLocalFiles", true}),
                         StorageName);

TEST_P(SharedCatalogTest, WhatOneServerStoredIsListedSupersededAndDeletedThroughAnother) {
  ServerHarness first(GetParam());
  ServerHarness second(GetParam(), {}, first.catalogUri());
  auto one = LoggedInClient(first.port());
  auto other = LoggedInClient(second.port());
  ASSERT_EQ(BackupOne(*one, "C:\\a.txt", 3, 10, "aaa"), "FILE_TRANSFER_SUCCESS");
  ASSERT_EQ(BackupOne(*one, "C:\\b.txt", 2000, 10, std::string(2000, 'b')),
            "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(Listing(*other), "C:\\a.txt\t3\t3\t10\nC:\\b.txt\t2000\t2000\t10\n");
  EXPECT_EQ(other->Ask("SEND_QUOTA_DATA"), "3:100");
  // The copy the first server holds makes the same file unnecessary on the second.
  EXPECT_EQ(BackupOne(*other, "C:\\a.txt", 3, 10, ""), "NOT_NEEDED");
  ASSERT_EQ(BackupOne(*other, "C:\\a.txt", 4, 11, "AAAA"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(other->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(other->Ask("1"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(other->Ask("C:\\b.txtSEND_QUOTA_DATA"), "1:100");
  EXPECT_EQ(Listing(*one), "C:\\a.txt\t4\t4\t11\n");
  EXPECT_EQ(one->Ask("SEND_QUOTA_DATA"), "1:100");
}

TEST_P(SharedCatalogTest, RacingUploadsOnTwoServersNeverPassTheQuota) {
  ServerHarness first(GetParam());
  ServerHarness second(GetParam(), {}, first.catalogUri());
  // 24 uploads of 10 KB each at once against a quota of 100 KB: exactly ten fit.
  std::atomic<int> stored{0};
  std::vector<std::thread> clients;
  for (int c = 0; c < 8; ++c)
    clients.emplace_back([&, c] {
      auto client = LoggedInClient(c % 2 ? second.port() : first.port());
      for (int i = 0; i < 3; ++i) {
        std::string path = "C:\\f" + std::to_string(c) + "-" + std::to_string(i);
        std::string verdict = BackupOne(*client, path, 10240, 1, std::string(10240, 'r'));
        if (verdict == "FILE_TRANSFER_SUCCESS") ++stored;
        EXPECT_TRUE(verdict == "FILE_TRANSFER_SUCCESS" || verdict == "FILE_TRANSFER_FAILURE")
            << verdict;
      }
    });
  for (auto& client : clients) client.join();
  EXPECT_EQ(stored, 10);
  std::int64_t sum = 0;
  for (const auto& file : first.catalog().Files("ann"))
    sum += server::KilobytesOf(file.storedBytes);
  EXPECT_EQ(sum, 100);
  EXPECT_EQ(second.catalog().QuotaOf("ann")->usedKb, 100);
  EXPECT_EQ(first.ObjectFiles().size() + second.ObjectFiles().size(), 10u);
}

TEST_P(SharedCatalogTest, ADatabaseOutageIsRefusedAndTheServerRecoversByItself) {
  ServerHarness server(GetParam());
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\kept.txt", 4, 1, "kept"), "FILE_TRANSFER_SUCCESS");

  PostgresService::Shared().Stop();
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), "FILE_TRANSFER_ERROR");
  EXPECT_EQ(BackupOne(*client, "C:\\new.txt", 3, 1, "new"), "FILE_TRANSFER_ERROR");
  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_EQ(client->Ask("1"), "OK");
  EXPECT_EQ(client->Ask("C:\\kept.txt"), "FILE_TRANSFER_ERROR");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  EXPECT_EQ(server.ObjectFiles().size(), 1u);  // the refused upload left nothing
  PostgresService::Shared().Start();

  std::string listing;
  for (int i = 0; i < 100 && listing.empty(); ++i) {
    std::string length = client->Ask("SEND_BACKED_UP_FILES");
    if (length == "FILE_TRANSFER_ERROR")
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    else if (length != "0")
      listing = (client->Send("OK"), client->ReceiveBytes(std::stoul(length)));
  }
  EXPECT_EQ(listing, "C:\\kept.txt\t4\t4\t1\n");
  EXPECT_EQ(RestoreOne(*client, "C:\\kept.txt"), "kept");
  EXPECT_EQ(BackupOne(*client, "C:\\new.txt", 3, 1, "new"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "2:100");
}

TEST_P(SharedCatalogTest, AccountCommandsActOnTheSharedCatalog) {
  std::string catalog = PostgresService::Shared().NewDatabase();
  std::string pattern = (fs::temp_directory_path() / "arkvale-shared-XXXXXX").string();
  ASSERT_TRUE(mkdtemp(pattern.data()));
  {
    ReferenceServer server(pattern + "/data", {"--catalog", catalog});
    ASSERT_TRUE(server.running());
    EXPECT_EQ(server.Account({"--catalog", catalog, "add-user", "ann", "secret", "50"}), 0);
    EXPECT_EQ(server.Account({"--catalog", catalog, "set-quota", "ann", "70"}), 0);
    EXPECT_EQ(server.Account({"--catalog", catalog, "set-password", "ann", "other"}), 0);
    EXPECT_EQ(server.Account({"--catalog", catalog, "set-quota", "bob", "1"}), 4);
    EXPECT_EQ(server.Account({"--catalog", "sqlite:x", "list-users"}), 2);
    auto client = LoggedInClient(server.port(), "ann", "other");
    EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "0:70");
  }
  // Nothing of the accounts went to the local catalog.
  EXPECT_FALSE(fs::exists(pattern + "/data/catalog.sqlite"));
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace arkvale::test
