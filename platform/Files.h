#pragma once
// Files on Windows paths: exclusive creation (the lock primitive), streams, stat, remove,
// rename, copy helpers and atomic replacement. Nothing above this layer calls POSIX directly.
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <optional>
#include <string>

namespace plat {

// open(O_CREAT|O_EXCL|O_RDWR, 0600). A descriptor, or -1 with errno (EEXIST when it exists).
int CreateExclusive(const std::string& windowsPath);
int CloseDescriptor(int fd);  // 0 or -1

// fopen on a Windows path. "b" in mode is accepted and ignored. Files created by "w"/"a"
// get the mode given here (0600 for secrets and user data in transit). Reading opens only
// files and directories: a FIFO or a device is refused (EACCES).
FILE* OpenStream(const std::string& windowsPath, const char* mode, unsigned createMode = 0644);

int RemoveFile(const std::string& windowsPath);  // 0 or -1
// Replaces an existing target (the host's rename), so a stale leftover never blocks a rename.
int RenameFile(const std::string& from, const std::string& to);  // 0 or -1
bool FileExists(const std::string& windowsPath);

struct FileStatus {
  bool isDirectory = false;
  bool isFile = false;  // a regular file: neither directory nor device, FIFO or socket
  uint64_t size = 0;
  std::time_t modificationTime = 0;
  unsigned mode = 0;    // permission bits
  bool isLink = false;  // only from StatEntry
};
std::optional<FileStatus> StatFile(const std::string& windowsPath);
// Sets the file's last-modification time (and its access time to the same); 0 or -1.
int SetModificationTime(const std::string& windowsPath, std::time_t time);

// A Windows path translated to the host once, for a caller that touches the same file
// several times.
struct HostPath {
  std::string path;
};
// nullopt (errno = ENOENT) where ToHostPath refuses the path.
std::optional<HostPath> Resolve(const std::string& windowsPath);
std::optional<FileStatus> StatFile(const HostPath& path);
// The entry itself, a symbolic link not followed: isLink tells, and a link to a file is not
// isFile.
std::optional<FileStatus> StatEntry(const HostPath& path);
// Whether the directory holding path exists.
bool DirectoryOfExists(const HostPath& path);
int SetModificationTime(const HostPath& path, std::time_t time);

// Writes content to a temporary file beside the target, flushes it to disk and renames it over
// the target, so a crash leaves the old or the new file, never half of one. A new file gets
// createMode less the umask, an existing one keeps its mode, a symbolic link keeps pointing to
// the file written; an owner-only createMode (0600, for secrets) is applied exactly.
bool WriteFileAtomically(const std::string& windowsPath, const std::string& content,
                         unsigned createMode = 0666);
// Copies a file the same way (temporary file, flush, rename), with the same modes.
bool CopyFileAtomically(const std::string& fromWindowsPath, const std::string& toWindowsPath,
                        unsigned createMode = 0666);

}  // namespace plat
