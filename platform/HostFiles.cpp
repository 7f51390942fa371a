#include "platform/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace plat::host {

namespace {

std::string ParentOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, const char* data, std::size_t length) {
  while (length > 0) {
    ssize_t n = ::write(fd, data, length);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    length -= static_cast<std::size_t>(n);
  }
  return true;
}

void SyncDirectory(const std::string& dir) {
  int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// A mode without group or other bits is a secret's: it is applied exactly, whatever the umask
// or the mode of the file being replaced.
bool IsOwnerOnly(unsigned mode) { return (mode & 077) == 0; }

// The file a write to path lands on: path itself, or the final target of the symbolic links it
// names (which need not exist yet), so that a save keeps the link.
std::string FinalTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    std::vector<char> buffer(4096);
    ssize_t n = ::readlink(current.c_str(), buffer.data(), buffer.size());
    if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) return current;
    std::string link(buffer.data(), static_cast<std::size_t>(n));
    current = !link.empty() && link[0] == '/' ? link : Join(ParentOf(current), link);
  }
  return current;
}

}  // namespace

void Abandon(int fd, const std::string& tempPath) {
  int saved = errno;
  ::close(fd);
  ::unlink(tempPath.c_str());
  errno = saved;
}

std::string TemporaryNameBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  // Short whatever the target's name: a name of 255 bytes must still have a temporary beside it.
  return Join(ParentOf(path),
              ".ark" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".tmp");
}

int OpenTempBeside(const std::string& target, unsigned mode, std::string& tempPath) {
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    tempPath = TemporaryNameBeside(target);
    fd = ::open(tempPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0 && errno != EEXIST) return -1;
  }
  if (fd < 0) return -1;
  struct stat old {};
  int keep = -1;
  if (IsOwnerOnly(mode)) {
    keep = static_cast<int>(mode);
  } else if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    keep = static_cast<int>(old.st_mode & 07777);
  }
  if (keep >= 0 && ::fchmod(fd, static_cast<mode_t>(keep)) != 0) {
    Abandon(fd, tempPath);
    return -1;
  }
  return fd;
}

bool Commit(int fd, const std::string& tempPath, const std::string& target) {
  bool ok = ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(tempPath.c_str(), target.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(tempPath.c_str());
    errno = saved;
    return false;
  }
  SyncDirectory(ParentOf(target));
  return true;
}

std::string Join(const std::string& dir, const std::string& name) {
  if (dir.empty()) return name;
  if (name.empty()) return dir;
  if (dir.back() == '/') return dir + name;
  return dir + "/" + name;
}

bool MakeDirectories(const std::string& hostDir) {
  struct stat st {};
  if (::stat(hostDir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  std::string::size_type pos = 0;
  while (true) {
    pos = hostDir.find('/', pos + 1);
    std::string prefix = hostDir.substr(0, pos);
    if (!prefix.empty() && ::mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
    if (pos == std::string::npos) break;
  }
  return ::stat(hostDir.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAtomically(const std::string& hostPath, const std::string& content, unsigned mode) {
  const std::string target = FinalTarget(hostPath);
  std::string tempPath;
  int fd = OpenTempBeside(target, mode, tempPath);
  if (fd < 0) return false;
  if (!WriteAll(fd, content.data(), content.size())) {
    Abandon(fd, tempPath);
    return false;
  }
  return Commit(fd, tempPath, target);
}

bool CopyAtomically(const std::string& fromHost, const std::string& toHostPath, unsigned mode) {
  int in = ::open(fromHost.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  const std::string toHost = FinalTarget(toHostPath);
  std::string tempPath;
  int out = OpenTempBeside(toHost, mode, tempPath);
  if (out < 0) {
    int saved = errno;
    ::close(in);
    errno = saved;
    return false;
  }
  std::vector<char> buffer(65536);
  while (true) {
    ssize_t n = ::read(in, buffer.data(), buffer.size());
    if (n < 0 && errno == EINTR) continue;
    if (n == 0) break;
    if (n < 0 || !WriteAll(out, buffer.data(), static_cast<std::size_t>(n))) {
      Abandon(out, tempPath);
      ::close(in);
      return false;
    }
  }
  ::close(in);
  return Commit(out, tempPath, toHost);
}

bool ReplaceSymlink(const std::string& target, const std::string& linkPath) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = TemporaryNameBeside(linkPath);
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (::rename(temp.c_str(), linkPath.c_str()) != 0) {
      int saved = errno;
      ::unlink(temp.c_str());
      errno = saved;
      return false;
    }
    return true;
  }
  errno = EEXIST;
  return false;
}

}  // namespace plat::host
