#include "platform/Descriptors.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace plat {

long ReadAt(int fd, char* buffer, std::size_t length, uint64_t offset) {
  ssize_t got;
  do {
    got = ::pread(fd, buffer, length, static_cast<off_t>(offset));
  } while (got < 0 && errno == EINTR);
  return static_cast<long>(got);
}

std::optional<uint64_t> SizeOf(int fd) {
  struct stat st {};
  if (::fstat(fd, &st) != 0) return std::nullopt;
  return static_cast<uint64_t>(st.st_size);
}

}  // namespace plat
