#include "platform/HostFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

std::string BaseOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
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

void Abandon(int fd, const std::string& tempPath) {
  int saved = errno;
  ::close(fd);
  ::unlink(tempPath.c_str());
  errno = saved;
}

// Opens a fresh temporary file beside target; fills tempPath.
int OpenTempBeside(const std::string& target, unsigned mode, std::string& tempPath) {
  std::string name = ".";
  name += BaseOf(target);
  name += ".tmpXXXXXX";
  std::string pattern = Join(ParentOf(target), name);
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  int fd = ::mkostemp(buffer.data(), O_CLOEXEC);
  if (fd < 0) return -1;
  tempPath = buffer.data();
  if (::fchmod(fd, static_cast<mode_t>(mode)) != 0) {
    Abandon(fd, tempPath);
    return -1;
  }
  return fd;
}

// Flushes and closes fd, then renames tempPath over target; removes tempPath on failure.
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

}  // namespace

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
  std::string tempPath;
  int fd = OpenTempBeside(hostPath, mode, tempPath);
  if (fd < 0) return false;
  if (!WriteAll(fd, content.data(), content.size())) {
    Abandon(fd, tempPath);
    return false;
  }
  return Commit(fd, tempPath, hostPath);
}

bool CopyAtomically(const std::string& fromHost, const std::string& toHost, unsigned mode) {
  int in = ::open(fromHost.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
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
    std::string temp =
        linkPath + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(attempt);
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
