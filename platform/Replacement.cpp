#include "platform/Replacement.h"

#include <cerrno>
#include <utility>

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
