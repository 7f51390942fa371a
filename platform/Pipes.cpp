#include "platform/Pipes.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

namespace {

// Room for a tool that writes in small pieces to run ahead of its reader, so that neither wakes
// the other for every few kilobytes; the size an unprivileged process may ask for.
constexpr int kChannelBytes = 1 << 20;

}  // namespace

bool MakePipe(int fds[2]) {
  if (::pipe2(fds, O_CLOEXEC) != 0) return false;
  ::fcntl(fds[1], F_SETPIPE_SZ, kChannelBytes);  // a smaller pipe still works, only slower
  return true;
}

bool MakeFeed(int fds[2]) {
  // A socket rather than a pipe: a send can refuse SIGPIPE for itself alone.
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return false;
  // The child only reads; this end is written with a bound in time.
  ::shutdown(fds[0], SHUT_WR);
  ::setsockopt(fds[1], SOL_SOCKET, SO_SNDBUF, &kChannelBytes, sizeof kChannelBytes);
  ::fcntl(fds[1], F_SETFL, ::fcntl(fds[1], F_GETFL) | O_NONBLOCK);
  return true;
}

bool Feed(int fd, const char* data, std::size_t length, int timeoutMs) {
  while (length > 0) {
    ssize_t sent = ::send(fd, data, length, MSG_NOSIGNAL);
    if (sent > 0) {
      data += sent;
      length -= static_cast<std::size_t>(sent);
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd p{fd, POLLOUT, 0};
    int ready = ::poll(&p, 1, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
  }
  return true;
}

void CloseEnd(int fd) {
  if (fd >= 0) ::close(fd);
}

}  // namespace plat
