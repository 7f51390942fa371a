#pragma once
// The server run in-process on a free port with a fresh data directory (and a fresh database
// for a shared catalog), with one account "ann" / "secret" (quota 100 KB) for the tests to use.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/Server.h"

namespace arkvale::test {

// The catalog and object store a test server runs on; the exchange tests run over each pair.
struct Storage {
  std::string name;
  bool postgresCatalog = false;
};
std::vector<Storage> EveryStorage();
std::string StorageName(const testing::TestParamInfo<Storage>& info);

// Tests run over every storage pair; a pair whose service is not installed is skipped, or fails
// where ARKVALE_REQUIRE_SERVICES is set (the full test run sets it).
class StorageTest : public testing::TestWithParam<Storage> {
 protected:
  void SetUp() override;
};

class ServerHarness {
 public:
  // A shared catalog is a fresh database unless sharedCatalog names one in use (another
  // harness's catalogUri()).
  explicit ServerHarness(const Storage& storage = Storage{},
                         server::SessionSettings settings = server::SessionSettings{},
                         const std::string& sharedCatalog = {});
  explicit ServerHarness(server::SessionSettings settings) : ServerHarness(Storage{}, settings) {}
  ~ServerHarness();
  ServerHarness(const ServerHarness&) = delete;
  ServerHarness& operator=(const ServerHarness&) = delete;

  std::uint16_t port() const { return port_; }
  server::Catalog& catalog() { return server_->catalog(); }
  const std::string& dataDirectory() const { return data_; }
  const std::string& catalogUri() const { return catalogUri_; }
  // Names of the files in the data directory's object store.
  std::vector<std::string> ObjectFiles() const;

 private:
  std::string root_;
  std::string data_;
  std::string catalogUri_;
  std::unique_ptr<server::Server> server_;
  std::thread thread_;
  std::uint16_t port_ = 0;
};

}  // namespace arkvale::test
