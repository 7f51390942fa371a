#pragma once
// The listening server: one thread per connection, a bounded number of them, and a clean stop
// that ends every connection (an upload in flight leaves nothing behind).
#include <atomic>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "server/Catalog.h"
#include "server/ClientSession.h"
#include "server/ObjectStore.h"
#include "server/OpenObjectStore.h"

namespace arkvale::server {

struct ServerConfig {
  std::string dataDirectory;
  // A PostgreSQL URI for a catalog shared by several servers; empty: SQLite in dataDirectory.
  std::string catalogUri;
  std::string bindAddress = "127.0.0.1";
  std::uint16_t port = 5555;
  SessionSettings session;
  int maxConnections = 64;
  ObjectStoreConfig objects;
};

// The catalog file and the object store inside a data directory (created owner-only when
// missing).
std::string CatalogPathIn(const std::string& dataDirectory);
std::string ObjectsPathIn(const std::string& dataDirectory);
void CreateDataDirectory(const std::string& dataDirectory);

class Server {
 public:
  // Opens the storage and removes what interrupted uploads left behind. Throws when another
  // server already serves the same data directory.
  explicit Server(ServerConfig config);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Binds and listens; returns the port, the chosen one when the configured port is 0.
  std::uint16_t Listen();
  // Accepts clients until Stop; returns once every connection has ended.
  void Run();
  // From any thread.
  void Stop();

  Catalog& catalog() { return *catalog_; }

 private:
  struct Connection {
    int fd = -1;
    std::thread thread;
    std::atomic<bool> done{false};
  };
  void Serve(Connection& connection, int id);
  void ReapFinished();
  void LockDataDirectory();

  ServerConfig config_;
  std::unique_ptr<Catalog> catalog_;
  std::unique_ptr<ObjectStore> store_;
  int dataLock_ = -1;
  int listenFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> stopping_{false};
  std::mutex connectionsMutex_;
  std::list<std::unique_ptr<Connection>> connections_;
  int nextId_ = 0;
};

}  // namespace arkvale::server
