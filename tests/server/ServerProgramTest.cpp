#include <gtest/gtest.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "server/CommandLine.h"
#include "server/PasswordHash.h"
#include "server/Server.h"
#include "server/SqliteCatalog.h"
#include "tests/server/Dialogues.h"
#include "tests/server/RawClient.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale::test {
namespace {

namespace fs = std::filesystem;

class ServerProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "arkvale-program-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(pattern.data()));
    root_ = pattern;
    data_ = root_ + "/data";
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string root_;
  std::string data_;
};

TEST_F(ServerProgramTest, AccountCommandsWorkBesideARunningServer) {
  ReferenceServer server(data_);
  ASSERT_TRUE(server.running());
  EXPECT_EQ(server.Account({"add-user", "ann", "secret", "1000"}), 0);
  EXPECT_EQ(server.Account({"add-user", "ann", "other", "5"}), 3);
  EXPECT_EQ(server.Account({"add-user", "ann", "other", "5", "--exist-ok"}), 0);
  EXPECT_EQ(server.Account({"set-quota", "ann", "2000"}), 0);
  EXPECT_EQ(server.Account({"set-quota", "bob", "2000"}), 4);
  EXPECT_EQ(server.Account({"set-quota", "ann", "lots"}), 2);
  EXPECT_EQ(server.Account({"add-user", "a,b", "secret", "1"}), 2);
  EXPECT_EQ(server.Account({"add-user", "ann"}), 2);
  EXPECT_EQ(server.Account({"frobnicate"}), 2);
  EXPECT_EQ(server.Account({"--help"}), 0);
  EXPECT_EQ(server.Account({"--port", "99999"}), 2);

  RawClient client(server.port());
  EXPECT_EQ(client.Login("ann", "secret"), "OK");  // --exist-ok left the password alone
  EXPECT_EQ(client.Ask("SEND_QUOTA_DATA"), "0:2000");
}

TEST_F(ServerProgramTest, APasswordGivenAsDashIsReadFromStandardInput) {
  auto run = [&](std::vector<std::string> words, const std::string& input) {
    words.insert(words.begin(), {"--data", data_});
    std::istringstream in(input);
    std::ostringstream out, err;
    return server::RunCommandLine(words, in, out, err);
  };
  EXPECT_EQ(run({"add-user", "ann", "-", "10"}, "typed secret\n"), 0);
  EXPECT_EQ(run({"add-user", "bob", "-", "10"}, ""), server::kExitUsage);
  EXPECT_EQ(run({"set-password", "ann", "-"}, "has,comma\n"), server::kExitUsage);
  {
    server::SqliteCatalog catalog(server::CatalogPathIn(data_));
    EXPECT_TRUE(catalog.PasswordMatches("ann", "typed secret"));
    EXPECT_EQ(catalog.Accounts().size(), 1u);
  }
  EXPECT_EQ(run({"set-password", "ann", "-"}, "other\r\n"), 0);
  server::SqliteCatalog catalog(server::CatalogPathIn(data_));
  EXPECT_TRUE(catalog.PasswordMatches("ann", "other"));
}

TEST_F(ServerProgramTest, DataSurvivesARestartAndSigtermStopsCleanly) {
  {
    ReferenceServer server(data_);
    ASSERT_EQ(server.Account({"add-user", "ann", "secret", "1000"}), 0);
    auto client = LoggedInClient(server.port());
    EXPECT_EQ(BackupOne(*client, "C:\\keep.txt", 4, 42, std::string(2048, 'k')),
              "FILE_TRANSFER_SUCCESS");
    int status = server.Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  ReferenceServer server(data_);
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("SEND_QUOTA_DATA"), "2:1000");
  EXPECT_EQ(Listing(*client), "C:\\keep.txt\t2048\t4\t42\n");
  EXPECT_EQ(RestoreOne(*client, "C:\\keep.txt"), std::string(2048, 'k'));
}

TEST_F(ServerProgramTest, StopInTheMiddleOfAnUploadLeavesNoPartialData) {
  ReferenceServer server(data_);
  ASSERT_EQ(server.Account({"add-user", "ann", "secret", "1000"}), 0);
  auto client = LoggedInClient(server.port());
  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\big", 9, 9)), "SEND_FILE");
  EXPECT_EQ(client->Ask("100000"), "BEGIN_TO_SEND_THE_FILE");
  client->Send(std::string(5000, 'x'));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  int status = server.Stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(client->ClosedByServer());
  EXPECT_TRUE(fs::is_empty(data_ + "/objects"));
}

TEST_F(ServerProgramTest, ACatalogFromBeforeTheUsageFigureGetsItComputedOnce) {
  fs::create_directories(data_);
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(server::CatalogPathIn(data_).c_str(), &db), SQLITE_OK);
  std::string hash = server::HashPassword("secret");
  std::string sql =
      "CREATE TABLE users(name BLOB PRIMARY KEY, password BLOB NOT NULL, quota_kb INTEGER NOT "
      "NULL);"
      "CREATE TABLE files(user BLOB NOT NULL, path BLOB NOT NULL, size INTEGER NOT NULL,"
      " modified INTEGER NOT NULL, stored_bytes INTEGER NOT NULL, object TEXT NOT NULL,"
      " PRIMARY KEY(user, path));"
      "INSERT INTO users VALUES(CAST('ann' AS BLOB), '" +
      hash +
      "', 100),"
      " (CAST('bob' AS BLOB), '" +
      hash +
      "', 9);"
      "INSERT INTO files VALUES(CAST('ann' AS BLOB), CAST('C:a' AS BLOB), 1, 1, 1500, 'x'),"
      " (CAST('ann' AS BLOB), CAST('C:b' AS BLOB), 1, 1, 3000, 'y');";
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);

  std::istringstream in;
  std::ostringstream out, err;
  EXPECT_EQ(server::RunCommandLine({"--data", data_, "list-users"}, in, out, err), 0) << err.str();
  EXPECT_EQ(out.str(), "ann\t5\t100\t2\nbob\t0\t9\t0\n");
  server::SqliteCatalog catalog(server::CatalogPathIn(data_));
  EXPECT_EQ(catalog.QuotaOf("ann")->usedKb, 5);
  EXPECT_TRUE(catalog.PasswordMatches("ann", "secret"));
}

TEST_F(ServerProgramTest, LeftoversOfACrashAreSweptAtStart) {
  fs::create_directories(data_ + "/objects");
  std::string orphan = data_ + "/objects/0123456789abcdef0123456789abcdef";
  std::ofstream(orphan) << "unreferenced";
  std::ofstream(orphan + ".part") << "interrupted";
  ReferenceServer server(data_);
  ASSERT_TRUE(server.running());
  EXPECT_TRUE(fs::is_empty(data_ + "/objects"));
}

}  // namespace
}  // namespace arkvale::test
