#include "platform/DirectorySearch.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/HostFiles.h"
#include "platform/Paths.h"
#include "platform/WindowsNames.h"

namespace plat {

namespace {

// Strips a final "*.*" pattern; the separator before it is dropped by the path translation.
std::string DirectoryPart(const std::string& windowsDir) {
  if (windowsDir.size() >= 3 && windowsDir.compare(windowsDir.size() - 3, 3, "*.*") == 0) {
    return windowsDir.substr(0, windowsDir.size() - 3);
  }
  return windowsDir;
}

// Fills data from the entry's own status; false when a Windows drive could not hold it.
bool Describe(const std::string& hostPath, FindData& data) {
  struct stat st {};
  if (::lstat(hostPath.c_str(), &st) != 0) return false;
  if (S_ISLNK(st.st_mode)) {
    if (::stat(hostPath.c_str(), &st) != 0) return false;  // broken link
    if (S_ISDIR(st.st_mode)) {
      // A reparse point: listed as a directory, never entered by a tree walk.
      data.attributes = kFileAttributeDirectory | kFileAttributeReparsePoint;
      data.lastWriteTime = st.st_mtime;
      return true;
    }
  }
  if (S_ISDIR(st.st_mode)) {
    data.attributes = kFileAttributeDirectory;
  } else if (S_ISREG(st.st_mode)) {
    data.attributes = kFileAttributeArchive;
    data.size = static_cast<uint64_t>(st.st_size);
  } else {
    return false;
  }
  data.lastWriteTime = st.st_mtime;
  return true;
}

}  // namespace

std::optional<std::vector<FindData>> ListDirectory(const std::string& windowsDir) {
  std::vector<std::string> refused;
  return ListDirectory(windowsDir, refused);
}

std::optional<std::vector<FindData>> ListDirectory(const std::string& windowsDir,
                                                   std::vector<std::string>& refusedHostPaths) {
  std::string dirPart = DirectoryPart(windowsDir);
  std::optional<std::string> hostDir = ToHostPath(dirPart);
  if (!hostDir) return std::nullopt;
  DIR* dir = ::opendir(hostDir->c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<FindData> entries;
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    const std::string hostPath = host::Join(*hostDir, name);
    FindData data;
    if (!Describe(hostPath, data)) continue;
    if (!CarriesAsWindowsName(name)) {
      refusedHostPaths.push_back(hostPath);
      continue;
    }
    data.name = WindowsNameOf(name);
    entries.push_back(std::move(data));
  }
  ::closedir(dir);
  return entries;
}

}  // namespace plat
