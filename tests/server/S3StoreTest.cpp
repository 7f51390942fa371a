// The S3 object store against a real RADOS Gateway.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "server/S3ObjectStore.h"
#include "tests/server/CephCluster.h"

namespace arkvale::test {
namespace {

using server::ObjectStore;
using server::S3Client;

std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string data(size, '\0');
  for (char& c : data) c = static_cast<char>(random());
  return data;
}

class S3StoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(cluster_.running()) << cluster_.error();
    config_.location = cluster_.NewBucket();
    config_.prefix = "data";
  }

  std::unique_ptr<server::S3ObjectStore> Store(std::int64_t graceSeconds = 3600) {
    server::S3StoreConfig config = config_;
    config.graceSeconds = graceSeconds;
    return std::make_unique<server::S3ObjectStore>(config);
  }

  // Written in pieces of odd sizes, as a connection delivers them.
  static void WriteAll(ObjectStore::Upload& upload, std::string_view data) {
    for (std::size_t at = 0; at < data.size(); at += 65521) upload.Write(data.substr(at, 65521));
  }
  static std::string Put(ObjectStore& store, const std::string& data) {
    auto upload = store.BeginUpload(data.size());
    WriteAll(*upload, data);
    return upload->Commit();
  }
  static std::string ReadAll(ObjectStore::Reader& reader) {
    std::string all;
    char piece[7000];
    while (std::size_t got = reader.Read(piece, sizeof piece)) all.append(piece, got);
    return all;
  }

  S3Client Client() const { return S3Client(config_.location); }
  std::vector<std::string> Keys() const {
    return server::XmlValues(Client().Send("GET", "", {{"list-type", "2"}}).body, "Key");
  }
  std::vector<std::string> PendingUploads() const {
    return server::XmlValues(Client().Send("GET", "", {{"uploads", ""}}).body, "Key");
  }
  std::string StartUploadByHand() const {
    std::string key = "data/" + server::NewObjectId();
    EXPECT_EQ(Client().Send("POST", key, {{"uploads", ""}}).status, 200);
    return key;
  }

  CephCluster& cluster_ = CephCluster::Shared();
  server::S3StoreConfig config_;
};

TEST_F(S3StoreTest, SmallAndMultipartUploadsReadBackWhole) {
  auto store = Store();
  std::string small = RandomBytes(1000, 1);
  // Three parts: two full ones of 8 MiB and a short last one.
  std::string large = RandomBytes(17 * 1024 * 1024 + 5, 2);
  std::string smallId = Put(*store, small);
  std::string largeId = Put(*store, large);

  auto reader = store->Open(largeId);
  ASSERT_TRUE(reader);
  EXPECT_EQ(reader->size(), large.size());
  EXPECT_TRUE(ReadAll(*reader) == large);
  reader = store->Open(smallId);
  ASSERT_TRUE(reader);
  EXPECT_EQ(ReadAll(*reader), small);
  EXPECT_TRUE(PendingUploads().empty());
  EXPECT_EQ(store->Open(server::NewObjectId()), nullptr);

  store->Remove(smallId);
  EXPECT_EQ(store->Open(smallId), nullptr);
  EXPECT_EQ(Keys(), std::vector<std::string>{"data/" + largeId});
}

TEST_F(S3StoreTest, PartsStayBetween8And64MiBAndWithinTheStoresPartCount) {
  constexpr std::uint64_t kMiB = 1024 * 1024;
  EXPECT_EQ(server::PartSizeFor(1000), 8 * kMiB);
  EXPECT_EQ(server::PartSizeFor(4096 * kMiB), 8 * kMiB);
  EXPECT_EQ(server::PartSizeFor(200000 * kMiB), 20 * kMiB);
  EXPECT_EQ(server::PartSizeFor(10000000 * kMiB), 64 * kMiB);
}

TEST_F(S3StoreTest, AnUploadGivenUpLeavesNeitherObjectNorParts) {
  auto store = Store();
  {
    auto upload = store->BeginUpload(20 * 1024 * 1024);
    WriteAll(*upload, RandomBytes(9 * 1024 * 1024, 3));  // one part sent
    EXPECT_EQ(PendingUploads().size(), 1u);
  }
  EXPECT_TRUE(PendingUploads().empty());
  EXPECT_TRUE(Keys().empty());
}

TEST_F(S3StoreTest, SweepRemovesOnlyOrphansAndStaleUploadsOlderThanTheGrace) {
  auto store = Store(2);
  std::string kept = Put(*store, "referenced");
  std::string oldOrphan = Put(*store, "orphan");
  std::string staleUpload = StartUploadByHand();
  // Not ours to judge: a key that is no object id.
  ASSERT_EQ(Client().Send("PUT", "data/notes.txt", {}, "hello").status, 200);
  std::this_thread::sleep_for(std::chrono::milliseconds(3100));
  std::string youngOrphan = Put(*store, "young");
  std::string youngUpload = StartUploadByHand();

  store->Sweep({kept});

  std::vector<std::string> keys = Keys();
  std::sort(keys.begin(), keys.end());
  std::vector<std::string> expected = {"data/" + kept, "data/" + youngOrphan, "data/notes.txt"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(keys, expected);
  EXPECT_EQ(PendingUploads(), std::vector<std::string>{youngUpload});
}

}  // namespace
}  // namespace arkvale::test
