#include "platform/Drives.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <vector>

#include "platform/HostFiles.h"
#include "platform/Paths.h"

namespace plat {

namespace {

std::mutex rootMutex;
std::string rootOverride;  // empty: follow the environment

std::string HomeDirectory() {
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0') return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    return pw->pw_dir;
  }
  return "/tmp";
}

bool IsDirectory(const std::string& hostPath) {
  struct stat st {};
  return ::stat(hostPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::string& hostPath) {
  struct stat st {};
  return ::lstat(hostPath.c_str(), &st) == 0;
}

// The table's entry for a letter: "c:" as the default table names it, "C:" accepted too.
std::optional<std::string> EntryPath(char letter) {
  if (!std::isalpha(static_cast<unsigned char>(letter))) return std::nullopt;
  std::string dir = DosDevicesDir();
  for (char c : {static_cast<char>(std::tolower(static_cast<unsigned char>(letter))),
                 static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))}) {
    std::string entry = host::Join(dir, std::string(1, c) + ":");
    if (PathExists(entry)) return entry;
  }
  return std::nullopt;
}

// "C:\", "c:", "C:/" -> 'C'; 0 when root names no drive.
char RootLetter(const std::string& root) {
  if (root.size() < 2 || root.size() > 3 || root[1] != ':') return 0;
  if (!std::isalpha(static_cast<unsigned char>(root[0]))) return 0;
  if (root.size() == 3 && root[2] != '\\' && root[2] != '/') return 0;
  return static_cast<char>(std::toupper(static_cast<unsigned char>(root[0])));
}

}  // namespace

std::string DataRoot() {
  {
    std::lock_guard<std::mutex> lock(rootMutex);
    if (!rootOverride.empty()) return rootOverride;
  }
  const char* xdg = std::getenv("XDG_DATA_HOME");
  // Relative values are invalid by the XDG rules and ignored.
  if (xdg != nullptr && xdg[0] == '/') return host::Join(xdg, "arkvale");
  return host::Join(HomeDirectory(), ".local/share/arkvale");
}

void SetDataRoot(const std::string& hostDir) {
  {
    std::lock_guard<std::mutex> lock(rootMutex);
    rootOverride = hostDir;
  }
  ResetCurrentDirectory();
}

std::string DosDevicesDir() { return host::Join(DataRoot(), "dosdevices"); }

void EnsureDriveTable() {
  std::string root = DataRoot();
  std::string dosdevices = host::Join(root, "dosdevices");
  if (PathExists(dosdevices)) return;
  if (!host::MakeDirectories(root)) return;
  ::mkdir(host::Join(root, "drive_c").c_str(), 0777);
  // Built aside and renamed into place, so a concurrent first start sees a whole table or none.
  std::string pattern = host::Join(root, "dosdevices.tmpXXXXXX");
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (::mkdtemp(buffer.data()) == nullptr) return;
  std::string temp = buffer.data();
  ::chmod(temp.c_str(), 0755);
  bool ok = ::symlink("../drive_c", host::Join(temp, "c:").c_str()) == 0 &&
            ::symlink("/", host::Join(temp, "z:").c_str()) == 0;
  if (ok && ::rename(temp.c_str(), dosdevices.c_str()) == 0) return;
  std::error_code ec;
  std::filesystem::remove_all(temp, ec);
}

uint32_t GetLogicalDrives() {
  EnsureDriveTable();
  uint32_t mask = 0;
  DIR* dir = ::opendir(DosDevicesDir().c_str());
  if (dir == nullptr) return 0;
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':' && name[2] == '\0') {
      mask |= 1u << (std::toupper(static_cast<unsigned char>(name[0])) - 'A');
    }
  }
  ::closedir(dir);
  return mask;
}

DriveType GetDriveType(const std::string& root) {
  char letter = RootLetter(root);
  if (letter == 0) return kDriveNoRootDir;
  std::optional<std::string> hostRoot = DriveHostRoot(letter);
  if (!hostRoot || !IsDirectory(*hostRoot)) return kDriveNoRootDir;
  std::optional<std::string> entry = EntryPath(letter);
  if (!entry) return kDriveNoRootDir;  // removed from the table meanwhile
  std::ifstream typeFile(*entry + ".type");
  std::string kind;
  typeFile >> kind;
  if (kind == "removable") return kDriveRemovable;
  if (kind == "cdrom") return kDriveCdrom;
  return kDriveFixed;
}

std::optional<std::string> DriveHostRoot(char letter) {
  EnsureDriveTable();
  std::optional<std::string> entry = EntryPath(letter);
  if (!entry) return std::nullopt;
  struct stat st {};
  if (::lstat(entry->c_str(), &st) != 0) return std::nullopt;
  if (!S_ISLNK(st.st_mode)) return entry;
  std::vector<char> target(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 4096) + 1);
  ssize_t n = ::readlink(entry->c_str(), target.data(), target.size());
  if (n < 0 || static_cast<std::size_t>(n) >= target.size()) return std::nullopt;
  std::filesystem::path link(std::string(target.data(), static_cast<std::size_t>(n)));
  if (link.is_relative()) link = std::filesystem::path(DosDevicesDir()) / link;
  std::string result = link.lexically_normal().string();
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

}  // namespace plat
