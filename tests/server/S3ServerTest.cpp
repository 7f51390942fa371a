// arkvale-server over an S3 bucket on a real RADOS Gateway: what a client was told is stored
// survives a killed server and a store that goes away for a while, and large data streams.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "server/S3ObjectStore.h"
#include "tests/server/CephCluster.h"
#include "tests/server/Dialogues.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale::test {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kMiB = 1024 * 1024;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(random());
  return data;
}

// Peak resident memory of a process, in bytes.
std::size_t PeakMemoryOf(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("VmHWM:")) return std::stoul(line.substr(6)) * 1024;
  return 0;
}

// One backup by a client whose server may be killed at any step: nothing here fails the test.
std::string TryBackupOne(RawClient& client, const std::string& path, const std::string& data) {
  const std::pair<std::string, std::string> steps[] = {
      {"BACKUP", "HOW_MANY_FILES"},
      {"1", "SEND_ME_FILE_INFO"},
      {FileInfo(path, static_cast<long>(data.size()), 1000), "SEND_FILE"},
      {std::to_string(data.size()), "BEGIN_TO_SEND_THE_FILE"}};
  for (const auto& [request, reply] : steps)
    if (!client.TrySend(request) || client.Receive() != reply) return {};
  return client.TrySend(data) ? client.Receive(15000) : std::string();
}

class S3ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cluster_.running()) << cluster_.error();
    location_ = cluster_.NewBucket();
    ::setenv("AWS_ACCESS_KEY_ID", location_.accessKey.c_str(), 1);
    ::setenv("AWS_SECRET_ACCESS_KEY", location_.secretKey.c_str(), 1);
    std::string pattern = (fs::temp_directory_path() / "arkvale-s3-server-XXXXXX").string();
    ASSERT_TRUE(::mkdtemp(pattern.data()));
    root_ = pattern;
  }
  void TearDown() override { fs::remove_all(root_); }

  std::unique_ptr<ReferenceServer> StartServer() {
    auto server = std::make_unique<ReferenceServer>(
        root_ + "/data",
        std::vector<std::string>{"--objects", "s3://" + location_.bucket + "/data", "--s3-endpoint",
                                 cluster_.endpoint(), "--sweep-grace-seconds", "3"});
    EXPECT_EQ(server->Account({"add-user", "ann", "secret", "10000000", "--exist-ok"}), 0);
    return server;
  }
  server::S3Client Client() const { return server::S3Client(location_); }
  std::vector<std::string> Keys() const {
    return server::XmlValues(Client().Send("GET", "", {{"list-type", "2"}}).body, "Key");
  }
  std::string PutOrphan() const {
    std::string key = "data/" + server::NewObjectId();
    EXPECT_EQ(Client().Send("PUT", key, {}, "orphan").status, 200);
    return key;
  }

  CephCluster& cluster_ = CephCluster::Shared();
  server::S3Location location_;
  std::string root_;
};

TEST_F(S3ServerTest, AKilledServerLosesNothingAcknowledgedAndTheSweepTakesItsLeftovers) {
  auto server = StartServer();
  ASSERT_TRUE(server->running());
  std::string oldOrphan = PutOrphan();

  std::mutex mutex;
  std::map<std::string, std::string> acknowledged;
  std::atomic<bool> killed{false};
  std::vector<std::thread> clients;
  for (int c = 0; c < 3; ++c) {
    clients.emplace_back([&, c] {
      auto client = LoggedInClient(server->port());
      for (int i = 0; !killed; ++i) {
        std::string path = "C:\\c" + std::to_string(c) + "\\f" + std::to_string(i);
        // Every third file takes the multipart way.
        std::string data = RandomBytes(i % 3 == 2 ? 9 * kMiB : 200 * 1024, c * 1000 + i);
        if (TryBackupOne(*client, path, data) != "FILE_TRANSFER_SUCCESS") return;
        std::lock_guard<std::mutex> hold(mutex);
        acknowledged[path] = data;
      }
    });
  }
  for (int i = 0; i < 600; ++i) {
    {
      std::lock_guard<std::mutex> hold(mutex);
      if (acknowledged.size() >= 8) break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  server->Kill();
  killed = true;
  for (std::thread& client : clients) client.join();
  ASSERT_GE(acknowledged.size(), 8u);

  // Past the grace, what the killed server left is stale; an object written now is not.
  std::this_thread::sleep_for(std::chrono::milliseconds(3500));
  std::string youngOrphan = PutOrphan();
  server = StartServer();
  ASSERT_TRUE(server->running());

  auto client = LoggedInClient(server->port());
  for (const auto& [path, data] : acknowledged)
    EXPECT_TRUE(RestoreOne(*client, path) == data) << path;
  std::vector<std::string> keys = Keys();
  EXPECT_EQ(std::count(keys.begin(), keys.end(), oldOrphan), 0);
  EXPECT_EQ(std::count(keys.begin(), keys.end(), youngOrphan), 1);
  // One object per stored file besides the young orphan: no uncommitted upload survived.
  std::string listing = Listing(*client);
  EXPECT_EQ(keys.size(),
            static_cast<std::size_t>(std::count(listing.begin(), listing.end(), '\n')) + 1);
  EXPECT_TRUE(server::XmlValues(Client().Send("GET", "", {{"uploads", ""}}).body, "Key").empty());
}

TEST_F(S3ServerTest, AStoreThatGoesAwayIsRefusedClearlyAndServiceResumesByItself) {
  auto server = StartServer();
  ASSERT_TRUE(server->running());
  std::string first = RandomBytes(5000, 7), second = RandomBytes(6000, 8);
  {
    auto client = LoggedInClient(server->port());
    ASSERT_EQ(BackupOne(*client, "C:\\first", 5000, 1, first), "FILE_TRANSFER_SUCCESS");
  }

  cluster_.StopGateway();
  {
    auto client = LoggedInClient(server->port());
    EXPECT_EQ(BackupOne(*client, "C:\\second", 6000, 1, second), "FILE_TRANSFER_ERROR");
    // The catalog still answers.
    EXPECT_NE(Listing(*client).find("C:\\first\t"), std::string::npos);
  }
  {
    auto client = LoggedInClient(server->port());
    EXPECT_EQ(client->Ask("RESTORE"), "OK");
    EXPECT_EQ(client->Ask("1"), "OK");
    client->Send("C:\\first");
    EXPECT_TRUE(client->ClosedByServer(15000));
  }
  ASSERT_TRUE(cluster_.StartGateway());

  auto client = LoggedInClient(server->port());
  EXPECT_EQ(BackupOne(*client, "C:\\second", 6000, 1, second), "FILE_TRANSFER_SUCCESS");
  EXPECT_EQ(RestoreOne(*client, "C:\\first"), first);
  EXPECT_EQ(RestoreOne(*client, "C:\\second"), second);
}

TEST_F(S3ServerTest, ALargeFileStreamsBothWaysWithFlatServerMemory) {
  constexpr std::size_t kSize = 192 * kMiB;
  auto server = StartServer();
  ASSERT_TRUE(server->running());
  auto client = LoggedInClient(server->port());
  std::size_t before = PeakMemoryOf(server->pid());
  // The same piece over and over keeps this test's own memory small; the part checksums still
  // catch a part sent twice or out of order by their numbers' ETags and the length.
  std::string piece = RandomBytes(kMiB, 9);

  EXPECT_EQ(client->Ask("BACKUP"), "HOW_MANY_FILES");
  EXPECT_EQ(client->Ask("1"), "SEND_ME_FILE_INFO");
  EXPECT_EQ(client->Ask(FileInfo("C:\\big", kSize, 1)), "SEND_FILE");
  EXPECT_EQ(client->Ask(std::to_string(kSize)), "BEGIN_TO_SEND_THE_FILE");
  for (std::size_t sent = 0; sent < kSize; sent += kMiB) client->Send(piece);
  EXPECT_EQ(client->Receive(120000), "FILE_TRANSFER_SUCCESS");

  EXPECT_EQ(client->Ask("RESTORE"), "OK");
  EXPECT_EQ(client->Ask("1"), "OK");
  EXPECT_EQ(client->Ask("C:\\big"), std::to_string(kSize));
  client->Send("SEND_FILE");
  std::size_t received = 0, mismatches = 0;
  while (received < kSize) {
    std::string got = client->Receive(30000, 256 * 1024);
    if (got.empty()) break;
    for (std::size_t i = 0; i < got.size(); ++i)
      mismatches += got[i] != piece[(received + i) % kMiB];
    received += got.size();
  }
  client->Send("OK");
  EXPECT_EQ(received, kSize);
  EXPECT_EQ(mismatches, 0u);
  // One part in memory and a little for the transfers, nowhere near the file's size.
  std::size_t growth = PeakMemoryOf(server->pid()) - before;
  EXPECT_LT(growth, 80 * kMiB) << "peak memory grew by " << growth / kMiB << " MiB";
}

}  // namespace
}  // namespace arkvale::test

namespace arkvale::test {
namespace {

TEST(S3OptionsTest, AStoreNamedWronglyOrWithKeysOthersCanReadIsRefused) {
  std::string pattern = (fs::temp_directory_path() / "arkvale-s3-options-XXXXXX").string();
  ASSERT_TRUE(::mkdtemp(pattern.data()));
  std::string keys = pattern + "/keys";
  std::ofstream(keys) << "access\nsecret\n";
  fs::permissions(keys, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  ::unsetenv("AWS_ENDPOINT_URL");
  auto listUsers = [&](const std::vector<std::string>& options) {
    std::string command = ReferenceServer::ProgramPath() + " --data " + pattern + "/data";
    for (const std::string& option : options) command += " '" + option + "'";
    int status = std::system((command + " list-users >/dev/null 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::vector<std::string> store = {"--objects",          "s3://bucket/prefix", "--s3-endpoint",
                                    "http://127.0.0.1:9", "--s3-credentials",   keys};
  EXPECT_EQ(listUsers(store), 1);
  fs::permissions(keys, fs::perms::owner_read);
  EXPECT_EQ(listUsers(store), 0);
  EXPECT_EQ(listUsers({"--objects", "bucket", "--s3-credentials", keys}), 1);
  EXPECT_EQ(listUsers({"--objects", "s3://bucket", "--s3-credentials", keys}), 1);  // no endpoint
  // The service's unit passes an empty setting for files in the data directory.
  EXPECT_EQ(listUsers({"--objects", ""}), 0);
  fs::remove_all(pattern);
}

}  // namespace
}  // namespace arkvale::test
