#include "platform/Sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace plat {

namespace {

constexpr uint32_t kLoopback = 0x7F000001;  // 127.0.0.1
// A server that never answers the connection request is given up after this long.
constexpr int kConnectTimeoutMs = 20000;

bool EndsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() &&
         text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Waits, bounded, for a non-blocking connect to finish; 0 or -1 with errno.
int WaitForConnect(int socket) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kConnectTimeoutMs);
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd pfd{socket, POLLOUT, 0};
    int ready = ::poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return -1;
    if (ready == 0) {
      errno = ETIMEDOUT;
      return -1;
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(socket, SOL_SOCKET, SO_ERROR, &error, &length) != 0) return -1;
    if (error != 0) {
      errno = error;
      return -1;
    }
    return 0;
  }
}

// Input read ahead of what a caller took, per socket. A descriptor number is reused after a
// close, so the entry goes with the socket.
std::mutex readAheadMutex;
std::unordered_map<int, std::string> readAhead;

void ForgetReadAhead(int socket) {
  std::lock_guard guard(readAheadMutex);
  readAhead.erase(socket);
}

// Moves up to capacity read-ahead bytes into buffer; how many (0 when there are none).
std::size_t TakeReadAhead(int socket, void* buffer, std::size_t capacity) {
  std::lock_guard guard(readAheadMutex);
  auto entry = readAhead.find(socket);
  if (entry == readAhead.end()) return 0;
  std::size_t count = std::min(capacity, entry->second.size());
  std::memcpy(buffer, entry->second.data(), count);
  entry->second.erase(0, count);
  if (entry->second.empty()) readAhead.erase(entry);
  return count;
}

}  // namespace

int SocketsStartup() { return 0; }

std::optional<uint32_t> LookupHost(const std::string& name) {
  if (name.empty() || name.find('\0') != std::string::npos) return std::nullopt;
  std::string lower;
  for (char c : name)
    lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  if (lower.back() == '.') lower.pop_back();  // a fully qualified name's final dot
  // The special-use rule for "localhost": always the loopback address, never the resolver.
  if (lower == "localhost" || EndsWith(lower, ".localhost")) return kLoopback;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* result = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &result) != 0 || result == nullptr) {
    return std::nullopt;
  }
  uint32_t address = ntohl(reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_addr.s_addr);
  ::freeaddrinfo(result);
  return address;
}

int SocketCreate() {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  ForgetReadAhead(fd);  // left by an earlier socket of the same number closed without us
  timeval timeout{};
  timeout.tv_sec = kSendTimeoutMs / 1000;
  ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
  // Every message waits for its answer: holding a small one back until the previous one is
  // acknowledged would cost a delayed acknowledgement (tens of milliseconds) each time.
  int on = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
  return fd;
}

int SocketConnect(int socket, uint32_t ipv4, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(ipv4);
  int flags = ::fcntl(socket, F_GETFL);
  if (flags < 0 || ::fcntl(socket, F_SETFL, flags | O_NONBLOCK) != 0) return -1;
  int result = 0;
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    result = errno == EINPROGRESS || errno == EINTR ? WaitForConnect(socket) : -1;
  }
  int saved = errno;
  ::fcntl(socket, F_SETFL, flags);
  errno = saved;
  return result;
}

long SocketSend(int socket, const void* data, std::size_t length, int timeoutMs, bool more) {
  const char* bytes = static_cast<const char*>(data);
  std::size_t sent = 0;
  while (sent < length) {
    ssize_t n = ::send(socket, bytes + sent, length - sent,
                       MSG_NOSIGNAL | MSG_DONTWAIT | (more ? MSG_MORE : 0));
    if (n >= 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN && errno != EWOULDBLOCK) return -1;
    // The peer takes nothing at the moment: wait, bounded, until it does.
    pollfd pfd{socket, POLLOUT, 0};
    int ready = ::poll(&pfd, 1, timeoutMs < 0 ? 0 : timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      if (ready == 0) errno = ETIMEDOUT;
      return -1;
    }
  }
  return static_cast<long>(sent);
}

long SocketReceive(int socket, void* buffer, std::size_t capacity, int timeoutMs) {
  if (capacity > 0) {
    if (std::size_t taken = TakeReadAhead(socket, buffer, capacity))
      return static_cast<long>(taken);
  }
  using Clock = std::chrono::steady_clock;
  Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  while (true) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd pfd{socket, POLLIN, 0};
    int ready = ::poll(&pfd, 1, left.count() > 0 ? static_cast<int>(left.count()) : 0);
    if (ready < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (ready == 0) {
      errno = ETIMEDOUT;
      return -1;
    }
    ssize_t n = ::recv(socket, buffer, capacity, MSG_DONTWAIT);
    if (n < 0 && (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK)) continue;
    return n < 0 ? -1 : static_cast<long>(n);
  }
}

void SocketUnread(int socket, std::string_view bytes) {
  if (socket < 0 || bytes.empty()) return;
  std::lock_guard guard(readAheadMutex);
  readAhead[socket].insert(0, bytes);
}

int SocketClose(int socket) {
  ForgetReadAhead(socket);
  return ::close(socket) == 0 ? 0 : -1;
}

}  // namespace plat
