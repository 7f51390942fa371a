#include "tests/server/ServerHarness.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/server/CephCluster.h"
#include "tests/server/PostgresService.h"

namespace arkvale::test {

namespace fs = std::filesystem;

std::vector<Storage> EveryStorage() {
  return {{"Defaults"}, {"PostgresLocalFiles", true}, {"PostgresS3", true, true}};
}

std::string StorageName(const testing::TestParamInfo<Storage>& info) { return info.param.name; }

void StorageTest::SetUp() {
  std::string missing;
  if (GetParam().postgresCatalog && !PostgresService::Shared().available())
    missing = PostgresService::Shared().why();
  else if (GetParam().s3Objects && !CephCluster::Shared().running())
    missing = CephCluster::Shared().error();
  if (missing.empty()) return;
  if (std::getenv("ARKVALE_REQUIRE_SERVICES"))
    FAIL() << missing;
  else
    GTEST_SKIP() << missing;
}

ServerHarness::ServerHarness(const Storage& storage, server::SessionSettings settings,
                             const ServerHarness* sharedWith) {
  std::string pattern = (fs::temp_directory_path() / "arkvale-server-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
  root_ = pattern;
  data_ = root_ + "/data";
  server::ServerConfig config;
  config.dataDirectory = data_;
  config.port = 0;
  config.session = settings;
  if (storage.postgresCatalog)
    catalogUri_ = sharedWith ? sharedWith->catalogUri_ : PostgresService::Shared().NewDatabase();
  config.catalogUri = catalogUri_;
  if (storage.s3Objects) {
    CephCluster& cluster = CephCluster::Shared();
    bucket_ = sharedWith ? sharedWith->bucket_ : cluster.NewBucket();
    config.objects.uri = "s3://" + bucket_.bucket;
    config.objects.endpoint = cluster.endpoint();
    // Keys in an owner-only file, so the test program's environment stays untouched.
    config.objects.credentialsFile = root_ + "/credentials";
    std::ofstream(config.objects.credentialsFile) << cluster.accessKey() << "\n"
                                                  << cluster.secretKey() << "\n";
    fs::permissions(config.objects.credentialsFile, fs::perms::owner_read);
  }
  server_ = std::make_unique<server::Server>(config);
  server_->catalog().AddUser("ann", "secret", 100);
  port_ = server_->Listen();
  thread_ = std::thread([this] { server_->Run(); });
}

ServerHarness::~ServerHarness() {
  server_->Stop();
  thread_.join();
  server_.reset();
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

std::vector<std::string> ServerHarness::ObjectFiles() const {
  std::vector<std::string> names;
  if (!bucket_.bucket.empty()) {
    names = server::XmlValues(server::S3Client(bucket_).Send("GET", "", {{"list-type", "2"}}).body,
                              "Key");
    std::sort(names.begin(), names.end());
    return names;
  }
  for (const auto& entry : fs::directory_iterator(server::ObjectsPathIn(data_)))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace arkvale::test
