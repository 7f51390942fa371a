#pragma once
// The server run in-process on a free port with a fresh data directory, with one account
// "ann" / "secret" (quota 100 KB) for the tests to use.
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "server/Server.h"

namespace arkvale::test {

class ServerHarness {
 public:
  explicit ServerHarness(server::SessionSettings settings = server::SessionSettings{});
  ~ServerHarness();
  ServerHarness(const ServerHarness&) = delete;
  ServerHarness& operator=(const ServerHarness&) = delete;

  std::uint16_t port() const { return port_; }
  server::Catalog& catalog() { return server_->catalog(); }
  const std::string& dataDirectory() const { return data_; }
  // Names of the files in the data directory's object store.
  std::vector<std::string> ObjectFiles() const;

 private:
  std::string root_;
  std::string data_;
  std::unique_ptr<server::Server> server_;
  std::thread thread_;
  std::uint16_t port_ = 0;
};

}  // namespace arkvale::test
