#include "server/Server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <set>
#include <stdexcept>

#include "server/OpenCatalog.h"
#include "server/ServerLog.h"

namespace arkvale::server {

namespace fs = std::filesystem;

std::string CatalogPathIn(const std::string& dataDirectory) {
  return dataDirectory + "/catalog.sqlite";
}

std::string ObjectsPathIn(const std::string& dataDirectory) { return dataDirectory + "/objects"; }

void CreateDataDirectory(const std::string& dataDirectory) {
  // A directory the user already has keeps the permissions the user gave it.
  if (fs::create_directories(dataDirectory))
    fs::permissions(dataDirectory, fs::perms::owner_all, fs::perm_options::replace);
}

namespace {

ServerConfig WithDataDirectory(ServerConfig config) {
  CreateDataDirectory(config.dataDirectory);
  return config;
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

Server::Server(ServerConfig config)
    : config_(WithDataDirectory(std::move(config))),
      catalog_(OpenCatalog(config_.catalogUri, config_.dataDirectory)),
      store_(OpenObjectStore(config_.objects, ObjectsPathIn(config_.dataDirectory))) {
  // Two servers on one directory would sweep away each other's uploads in flight; a shared
  // store's sweep spares young objects instead.
  if (config_.objects.uri.empty()) LockDataDirectory();
  std::vector<std::string> objects = catalog_->Objects();
  store_->Sweep(std::set<std::string>(objects.begin(), objects.end()));
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    if (dataLock_ >= 0) ::close(dataLock_);
    throw std::runtime_error(Errno("pipe"));
  }
  wakeRead_ = wake[0];
  wakeWrite_ = wake[1];
}

Server::~Server() {
  Stop();
  for (auto& connection : connections_)
    if (connection->thread.joinable()) connection->thread.join();
  if (listenFd_ >= 0) ::close(listenFd_);
  ::close(wakeRead_);
  ::close(wakeWrite_);
  if (dataLock_ >= 0) ::close(dataLock_);
}

std::uint16_t Server::Listen() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) throw std::runtime_error(Errno("socket"));
  int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(config_.port);
  if (::inet_pton(AF_INET, config_.bindAddress.c_str(), &address.sin_addr) != 1)
    throw std::runtime_error("not an IPv4 address: " + config_.bindAddress);
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
    throw std::runtime_error(Errno("cannot listen on port " + std::to_string(config_.port)));
  if (::listen(listenFd_, 64) != 0) throw std::runtime_error(Errno("listen"));
  socklen_t length = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
  return ntohs(address.sin_port);
}

void Server::Stop() {
  stopping_ = true;
  char byte = 1;
  [[maybe_unused]] ssize_t ignored = ::write(wakeWrite_, &byte, 1);
}

void Server::LockDataDirectory() {
  std::string lockPath = config_.dataDirectory + "/server.lock";
  dataLock_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (dataLock_ < 0) throw std::runtime_error(Errno("cannot open " + lockPath));
  if (::flock(dataLock_, LOCK_EX | LOCK_NB) != 0) {
    ::close(dataLock_);
    dataLock_ = -1;
    throw std::runtime_error("another server serves " + config_.dataDirectory);
  }
}

void Server::ReapFinished() {
  std::lock_guard<std::mutex> hold(connectionsMutex_);
  for (auto it = connections_.begin(); it != connections_.end();) {
    if ((*it)->done) {
      (*it)->thread.join();
      it = connections_.erase(it);
    } else {
      ++it;
    }
  }
}

void Server::Serve(Connection& connection, int id) {
  ClientSession(connection.fd, id, *catalog_, *store_, config_.session).Run();
  LogConnection(id, "connection closed");
  std::lock_guard<std::mutex> hold(connectionsMutex_);
  ::close(connection.fd);
  connection.fd = -1;
  connection.done = true;
}

void Server::Run() {
  while (!stopping_) {
    pollfd waits[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    int ready = ::poll(waits, 2, 1000);
    ReapFinished();
    if (ready < 0 && errno != EINTR) throw std::runtime_error(Errno("poll"));
    if (ready <= 0 || !(waits[0].revents & POLLIN)) continue;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC);
    if (fd < 0) {
      // Out of descriptors or memory: the client stays queued, so pause instead of spinning.
      if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      continue;
    }
    char host[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
    int id = ++nextId_;
    std::string from = std::string(host) + ":" + std::to_string(ntohs(peer.sin_port));

    std::lock_guard<std::mutex> hold(connectionsMutex_);
    if (static_cast<int>(connections_.size()) >= config_.maxConnections) {
      LogConnection(id, "connection from " + from + " refused: too many");
      ::close(fd);
      continue;
    }
    // A send to a client that stopped reading must not block for ever either.
    timeval limit{config_.session.timing.idleTimeoutMs / 1000,
                  (config_.session.timing.idleTimeoutMs % 1000) * 1000};
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    // Each reply is one message and leaves at once.
    int on = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // A client whose machine went away is dropped in about two minutes, not after the idle time.
    int idle = 60, interval = 10, count = 6;
    ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    LogConnection(id, "connection from " + from);
    auto connection = std::make_unique<Connection>();
    connection->fd = fd;
    Connection& added = *connection;
    connections_.push_back(std::move(connection));
    added.thread = std::thread([this, &added, id] { Serve(added, id); });
  }
  {
    std::lock_guard<std::mutex> hold(connectionsMutex_);
    for (auto& connection : connections_)
      if (connection->fd >= 0) ::shutdown(connection->fd, SHUT_RDWR);
  }
  for (auto& connection : connections_)
    if (connection->thread.joinable()) connection->thread.join();
  connections_.clear();
  LogLine("server stopped");
}

}  // namespace arkvale::server
