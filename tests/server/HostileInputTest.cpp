#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>

#include "tests/server/Dialogues.h"
#include "tests/server/RawClient.h"
#include "tests/server/ServerHarness.h"

namespace arkvale::test {
namespace {

namespace fs = std::filesystem;

TEST(HostileInputTest, OversizedMessagesCloseTheConnection) {
  ServerHarness server;
  {
    RawClient client(server.port());
    client.Send(std::string(301, 'c'));  // credentials are at most 300 bytes
    EXPECT_TRUE(client.ClosedByServer());
  }
  {
    auto client = LoggedInClient(server.port());
    EXPECT_EQ(client->Ask("RESTORE"), "OK");
    EXPECT_EQ(client->Ask("1"), "OK");
    client->Send("C:\\" + std::string(10000, 'p'));
    EXPECT_TRUE(client->ClosedByServer());
  }
  {
    auto client = LoggedInClient(server.port());
    EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
    client->Send(std::string(40, '9'));
    EXPECT_TRUE(client->ClosedByServer());
  }
  // The server itself is unharmed.
  EXPECT_EQ(LoggedInClient(server.port())->Ask("PING"), "GOT_YOUR_PING");
}

TEST(HostileInputTest, MalformedCountsAreRefusedAndTheSessionGoesOn) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("many"), "BAD_COUNT");
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("-3"), "BAD_COUNT");
  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_NE(client->Ask("x1"), "OK");
  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("99999999999"), "BAD_COUNT");  // beyond a 32-bit count
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

TEST(HostileInputTest, MalformedFileDescriptionsAndSizesAreRefusedInStep) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("7"), "SEND_ME_FILE_INFO");
  for (std::string info :
       {std::string("no marks at all"), std::string("C:\\a.txt?ten?5"),
        std::string("C:\\a.txt?10?"), std::string("?10?5"), std::string("C:\\a\tb?10?5"),
        std::string("C:\\a\nb?10?5"), "C:\\" + std::string(1000, 'l') + "?10?5"}) {
    // The refusal, then at once the next request, unless that was the seventh file.
    const std::string next = info.size() < 100 ? "SEND_ME_FILE_INFO" : "";
    client->Send(info);
    EXPECT_EQ(client->ReceiveBytes(13 + next.size()), "BAD_FILE_INFO" + next) << info;
  }
  EXPECT_TRUE(client->Silent(300));  // that was the seventh file
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("3"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\a.txt", 10, 5)), "SEND_FILE");
  client->Send("lots");
  EXPECT_EQ(client->ReceiveBytes(25), "BAD_SIZESEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\a.txt", 10, 5)), "SEND_FILE");
  client->Send("-1");
  EXPECT_EQ(client->ReceiveBytes(25), "BAD_SIZESEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\a.txt", 10, 5)), "SEND_FILE");
  EXPECT_EQ(client->Ask("2"), "BEGIN_TO_SEND_THE_FILE");
  EXPECT_EQ(client->Ask("ok"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(Listing(*client), "C:\\a.txt\t2\t10\t5\n");
}

TEST(HostileInputTest, ADataSizeNearTheLimitOfItsTypeIsOverTheQuotaNotWrappedIntoIt) {
  ServerHarness server;
  constexpr std::int64_t kLargest = std::numeric_limits<std::int64_t>::max();
  EXPECT_EQ(server::KilobytesOf(kLargest), kLargest / 1024 + 1);
  EXPECT_FALSE(server.catalog().Fits("ann", "C:\\huge", kLargest - 100));
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\huge", 5, 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask(std::to_string(kLargest)), "BEGIN_TO_SEND_THE_FILE");
  // Twice the whole quota: none of it may reach the disk.
  client->Send(std::string(200 * 1024, 'h'));
  EXPECT_TRUE(client->Silent(300));
  EXPECT_TRUE(server.ObjectFiles().empty());
}

TEST(HostileInputTest, PathsAreKeysNeverFileNames) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  std::string sneaky = "C:\\..\\..\\..\\..\\..\\..\\tmp\\arkvale-escape";
  EXPECT_EQ(BackupOne(*client, sneaky, 6, 1, "escape"), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(BackupOne(*client, "../../outside", 6, 1, "escape"), "FILE_TRANSFER_SUCCESS");
  EXPECT_FALSE(fs::exists("/tmp/arkvale-escape"));
  // The data directory holds the catalog and objects named by generated ids only.
  for (const auto& entry : fs::directory_iterator(server.dataDirectory())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "objects" || name == "server.lock" || name.starts_with("catalog.sqlite"))
        << name;
  }
  EXPECT_EQ(fs::status(server::CatalogPathIn(server.dataDirectory())).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  for (const std::string& name : server.ObjectFiles()) {
    EXPECT_EQ(name.size(), 32u);
    EXPECT_EQ(name.find_first_not_of("0123456789abcdef"), std::string::npos) << name;
  }
  EXPECT_EQ(RestoreOne(*client, sneaky), "escape");
}

TEST(HostileInputTest, DialoguesEndWhenTheClientMovesOnToItsNextCommand) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  ASSERT_EQ(BackupOne(*client, "C:\\kept", 4, 1, "kept"), "FILE_TRANSFER_SUCCESS");
  // A run that ended early on the client's side leaves the server mid-dialogue; the client's
  // next command is served, not refused as a malformed step.
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("3"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\new", 3, 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "1:100");
  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_EQ(client->Ask("2"), "OK");
  EXPECT_EQ(client->Ask("C:\\kept"), "4");
  client->Send("SEND_FILE");
  EXPECT_EQ(client->Receive(), "kept");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");  // instead of "OK"
  EXPECT_EQ(client->Ask("DELETE"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("2"), "SEND_ME_FILE_NAME");
  EXPECT_EQ(client->Ask("SEND_BACKED_UP_FILES"), "14");
  client->Send("OK");
  EXPECT_EQ(client->Receive(), "C:\\kept\t4\t4\t1\n");
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

TEST(HostileInputTest, GarbageCommandsGetOneRefusalEach) {
  ServerHarness server;
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask(std::string(200000, '#')), "UNKNOWN_COMMAND");
  EXPECT_TRUE(client->Silent(300));
  EXPECT_EQ(client->Ask("PING"), "GOT_YOUR_PING");
}

}  // namespace
}  // namespace arkvale::test
