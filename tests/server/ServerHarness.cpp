#include "tests/server/ServerHarness.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "tests/server/PostgresService.h"

namespace arkvale::test {

namespace fs = std::filesystem;

std::vector<Storage> EveryStorage() { return {{"Defaults"}, {"PostgresLocalFiles", true}}; }

std::string StorageName(const testing::TestParamInfo<Storage>& info) { return info.param.name; }

void StorageTest::SetUp() {
  if (!GetParam().postgresCatalog || PostgresService::Shared().available()) return;
  if (std::getenv("ARKVALE_REQUIRE_SERVICES"))
    FAIL() << PostgresService::Shared().why();
  else
    GTEST_SKIP() << PostgresService::Shared().why();
}

ServerHarness::ServerHarness(const Storage& storage, server::SessionSettings settings,
                             const std::string& sharedCatalog) {
  std::string pattern = (fs::temp_directory_path() / "arkvale-server-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) ADD_FAILURE() << "mkdtemp failed";
  root_ = pattern;
  data_ = root_ + "/data";
  server::ServerConfig config;
  config.dataDirectory = data_;
  config.port = 0;
  config.session = settings;
  if (storage.postgresCatalog)
    catalogUri_ = sharedCatalog.empty() ? PostgresService::Shared().NewDatabase() : sharedCatalog;
  config.catalogUri = catalogUri_;
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
  for (const auto& entry : fs::directory_iterator(server::ObjectsPathIn(data_)))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace arkvale::test
