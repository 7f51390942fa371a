#include "platform/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
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

std::string InstanceSocketPath(const std::string& name) { return DataRoot() + "/" + name; }

}  // namespace plat
