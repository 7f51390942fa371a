#include "platform/Replacement.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/HostFiles.h"

namespace plat {

Replacement::Replacement(Replacement&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      temporary_(std::move(other.temporary_)),
      place_(std::move(other.place_)) {}

Replacement& Replacement::operator=(Replacement&& other) noexcept {
  if (this != &other) {
    Discard();
    fd_ = std::exchange(other.fd_, -1);
    temporary_ = std::move(other.temporary_);
    place_ = std::move(other.place_);
  }
  return *this;
}

bool Replacement::Open(const HostPath& place, unsigned createMode) {
  Discard();
  place_ = place.path;
  fd_ = host::OpenTempBeside(place_, createMode, temporary_);
  return fd_ >= 0;
}

bool Replacement::CopyFrom(const HostPath& source) {
  int in = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  std::vector<char> buffer(1 << 16);
  bool ok = true;
  while (ok) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      ssize_t w = ::write(fd_, buffer.data() + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      done += w > 0 ? w : 0;
    }
  }
  int saved = errno;
  ::close(in);
  errno = saved;
  return ok;
}

bool Replacement::Commit() {
  if (fd_ < 0) {
    errno = EBADF;
    return false;
  }
  return host::Commit(std::exchange(fd_, -1), temporary_, place_);
}

void Replacement::Discard() {
  if (fd_ >= 0) host::Abandon(std::exchange(fd_, -1), temporary_);
}

}  // namespace plat
