#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Drives.h"

namespace plat {

InstanceLock::~InstanceLock() { Release(); }

InstanceLock::Result InstanceLock::TryAcquire(const std::string& name) {
  if (fd_ >= 0) return Result::Acquired;
  std::error_code ec;
  std::filesystem::create_directories(DataRoot(), ec);
  const std::string path = DataRoot() + "/" + name + ".lock";
  // Close-on-exec: the child tools must not inherit the lock and keep it after we end.
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return Result::Unavailable;
  // flock belongs to the open file, so it goes when the process ends, however it ends, and a
  // second open of the same file in one process conflicts as another process would.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK ? Result::HeldElsewhere : Result::Unavailable;
  }
  fd_ = fd;
  return Result::Acquired;
}

void InstanceLock::Release() {
  if (fd_ < 0) return;
  ::close(fd_);
  fd_ = -1;
}

bool InstanceRunning(const std::string& name) {
  const std::string path = DataRoot() + "/" + name + ".lock";
  // No lock file: nobody ever held it here. Not created, so asking leaves no trace.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool held = ::flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

std::string InstanceSocketPath(const std::string& name) {
  const std::string beside = DataRoot() + "/" + name;
  if (beside.size() < sizeof(sockaddr_un{}.sun_path)) return beside;
  // A local socket's path is limited to about a hundred bytes, which a deep data directory
  // exceeds. The runtime directory is the user's place for sockets; the name carries a digest of
  // the data root, so instances of different data roots keep apart there as they do beside it.
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime == nullptr || runtime[0] != '/') return beside;
  std::uint32_t digest = 2166136261u;  // FNV-1a: the same digest in every build
  for (const unsigned char c : DataRoot()) digest = (digest ^ c) * 16777619u;
  char suffix[16];
  std::snprintf(suffix, sizeof suffix, "-%08x", static_cast<unsigned>(digest));
  return std::string(runtime) + "/" + name + suffix;
}

}  // namespace plat
