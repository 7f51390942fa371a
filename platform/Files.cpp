#include "platform/Files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "platform/HostFiles.h"
#include "platform/Paths.h"

namespace plat {

namespace {

// Host path of a Windows path, or nullopt with errno = ENOENT.
std::optional<std::string> Host(const std::string& windowsPath) {
  std::optional<std::string> host = ToHostPath(windowsPath);
  if (!host) errno = ENOENT;
  return host;
}

// Closes fd without disturbing errno; nullptr, for the callers' returns.
FILE* Discard(int fd) {
  int saved = errno;
  ::close(fd);
  errno = saved;
  return nullptr;
}

// A stream on fd; nullptr, with fd closed and errno kept, when there is none.
FILE* StreamOn(int fd, const char* mode) {
  FILE* stream = ::fdopen(fd, mode);
  return stream != nullptr ? stream : Discard(fd);
}

// A Windows drive holds no FIFOs or devices: opening a FIFO could wait for ever for a writer,
// and a device such as /dev/zero never ends. Only files and directories are opened.
bool IsFileOrDirectory(const struct stat& st) { return S_ISREG(st.st_mode) || S_ISDIR(st.st_mode); }

FILE* OpenForReading(const std::string& host, bool update) {
  struct stat st {};
  if (::stat(host.c_str(), &st) != 0) return nullptr;
  if (!IsFileOrDirectory(st)) {
    errno = EACCES;
    return nullptr;
  }
  // Non-blocking, in case a FIFO took the file's place since the check.
  int fd = ::open(host.c_str(), (update ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &st) != 0 || !IsFileOrDirectory(st)) {
    errno = EACCES;
    return Discard(fd);
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return Discard(fd);
  return StreamOn(fd, update ? "r+" : "r");
}

FileStatus StatusOf(const struct stat& st) {
  FileStatus status;
  status.isDirectory = S_ISDIR(st.st_mode);
  status.isFile = S_ISREG(st.st_mode);
  status.isLink = S_ISLNK(st.st_mode);
  status.size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
  status.modificationTime = st.st_mtime;
  status.mode = st.st_mode & 07777;
  return status;
}

}  // namespace

int CreateExclusive(const std::string& windowsPath) {
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return -1;
  return ::open(host->c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, 0600);
}

int CloseDescriptor(int fd) { return ::close(fd) == 0 ? 0 : -1; }

FILE* OpenStream(const std::string& windowsPath, const char* mode, unsigned createMode) {
  if (mode == nullptr || (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a')) {
    errno = EINVAL;
    return nullptr;
  }
  bool update = false;
  for (const char* p = mode + 1; *p != '\0'; ++p) {
    if (*p == '+') {
      update = true;
    } else if (*p != 'b' && *p != 't') {
      errno = EINVAL;
      return nullptr;
    }
  }
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return nullptr;
  if (mode[0] == 'r') return OpenForReading(*host, update);
  // Created through open() so that createMode, not the stdio default, applies.
  int flags = (update ? O_RDWR : O_WRONLY) | O_CREAT | O_CLOEXEC;
  flags |= mode[0] == 'w' ? O_TRUNC : O_APPEND;
  int fd = ::open(host->c_str(), flags, static_cast<mode_t>(createMode));
  if (fd < 0) return nullptr;
  return StreamOn(fd, mode[0] == 'w' ? (update ? "w+" : "w") : (update ? "a+" : "a"));
}

int RemoveFile(const std::string& windowsPath) {
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return -1;
  return ::unlink(host->c_str()) == 0 ? 0 : -1;
}

int RenameFile(const std::string& from, const std::string& to) {
  std::optional<std::string> hostFrom = Host(from);
  if (!hostFrom) return -1;
  std::optional<std::string> hostTo = Host(to);
  if (!hostTo) return -1;
  return ::rename(hostFrom->c_str(), hostTo->c_str()) == 0 ? 0 : -1;
}

bool FileExists(const std::string& windowsPath) { return StatFile(windowsPath).has_value(); }

std::optional<FileStatus> StatFile(const std::string& windowsPath) {
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return std::nullopt;
  return StatFile(HostPath{*host});
}

int SetModificationTime(const std::string& windowsPath, std::time_t time) {
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return -1;
  return SetModificationTime(HostPath{*host}, time);
}

std::optional<HostPath> Resolve(const std::string& windowsPath) {
  std::optional<std::string> host = Host(windowsPath);
  if (!host) return std::nullopt;
  return HostPath{std::move(*host)};
}

std::optional<FileStatus> StatFile(const HostPath& path) {
  struct stat st {};
  if (::stat(path.path.c_str(), &st) != 0) return std::nullopt;
  return StatusOf(st);
}

std::optional<FileStatus> StatEntry(const HostPath& path) {
  struct stat st {};
  if (::lstat(path.path.c_str(), &st) != 0) return std::nullopt;
  return StatusOf(st);
}

bool DirectoryOfExists(const HostPath& path) {
  const std::string::size_type slash = path.path.find_last_of('/');
  const std::string directory = slash == std::string::npos ? "." : path.path.substr(0, slash + 1);
  struct stat st {};
  return ::stat(directory.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int SetModificationTime(const HostPath& path, std::time_t time) {
  struct timespec times[2] = {{time, 0}, {time, 0}};
  return ::utimensat(AT_FDCWD, path.path.c_str(), times, 0) == 0 ? 0 : -1;
}

bool WriteFileAtomically(const std::string& windowsPath, const std::string& content,
                         unsigned createMode) {
  std::optional<std::string> host = Host(windowsPath);
  return host && host::WriteAtomically(*host, content, createMode);
}

bool CopyFileAtomically(const std::string& fromWindowsPath, const std::string& toWindowsPath,
                        unsigned createMode) {
  std::optional<std::string> from = Host(fromWindowsPath);
  if (!from) return false;
  std::optional<std::string> to = Host(toWindowsPath);
  return to && host::CopyAtomically(*from, *to, createMode);
}

}  // namespace plat
