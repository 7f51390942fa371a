#include "platform/Paths.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <map>
#include <mutex>
#include <vector>

#include "platform/Drives.h"
#include "platform/HostFiles.h"
#include "platform/WindowsNames.h"

namespace plat {

namespace {

struct WindowsPath {
  char drive = 'C';
  std::vector<std::string> components;
};

// The emulated current drive and, as Windows keeps it, one current directory per drive.
std::mutex currentMutex;
char currentDrive = 'C';
std::map<char, std::vector<std::string>> currentDirectories;

char Upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

bool IsDriveLetter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z');
}

// Appends the '\'-separated words of text to components; false when ".." climbs above the root.
bool Append(std::vector<std::string>& components, const std::string& text) {
  std::string::size_type start = 0;
  while (start <= text.size()) {
    std::string::size_type end = text.find('\\', start);
    if (end == std::string::npos) end = text.size();
    std::string word = text.substr(start, end - start);
    if (word == "..") {
      if (components.empty()) return false;
      components.pop_back();
    } else if (!word.empty() && word != ".") {
      components.push_back(word);
    }
    start = end + 1;
  }
  return true;
}

std::optional<WindowsPath> Parse(std::string text) {
  if (text.empty() || text.find('\0') != std::string::npos) return std::nullopt;
  for (char& c : text) {
    if (c == '/') c = '\\';
  }
  WindowsPath result;
  std::lock_guard<std::mutex> lock(currentMutex);
  if (text.size() >= 2 && text[1] == ':' && IsDriveLetter(text[0])) {
    result.drive = Upper(text[0]);
    text.erase(0, 2);
    if (text.empty() || text[0] != '\\') result.components = currentDirectories[result.drive];
  } else if (text[0] == '\\') {
    // "\\server\share" names a network share, which this host has no notion of.
    if (text.size() >= 2 && text[1] == '\\') return std::nullopt;
    result.drive = currentDrive;
  } else {
    result.drive = currentDrive;
    result.components = currentDirectories[currentDrive];
  }
  if (!Append(result.components, text)) return std::nullopt;
  return result;
}

std::string Format(const WindowsPath& path) {
  std::string text = std::string(1, path.drive) + ":\\";
  for (std::size_t i = 0; i < path.components.size(); ++i) {
    if (i > 0) text += '\\';
    text += path.components[i];
  }
  return text;
}

std::optional<std::string> HostOf(const WindowsPath& path) {
  std::optional<std::string> root = DriveHostRoot(path.drive);
  if (!root) return std::nullopt;
  std::string host = *root;
  for (const std::string& word : path.components) host = host::Join(host, HostNameOf(word));
  return host;
}

}  // namespace

std::optional<std::string> ToHostPath(const std::string& windowsPath) {
  std::optional<WindowsPath> parsed = Parse(windowsPath);
  if (!parsed) return std::nullopt;
  return HostOf(*parsed);
}

std::optional<std::string> FullWindowsPath(const std::string& windowsPath) {
  std::optional<WindowsPath> parsed = Parse(windowsPath);
  if (!parsed) return std::nullopt;
  return Format(*parsed);
}

int ChangeDrive(int drive) {
  if (drive < 1 || drive > 26) {
    errno = EACCES;
    return -1;
  }
  char letter = static_cast<char>('A' + drive - 1);
  std::optional<std::string> root = DriveHostRoot(letter);
  struct stat st {};
  if (!root || ::stat(root->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    errno = EACCES;
    return -1;
  }
  std::lock_guard<std::mutex> lock(currentMutex);
  currentDrive = letter;
  return 0;
}

int ChangeDirectory(const std::string& windowsPath) {
  std::optional<WindowsPath> parsed = Parse(windowsPath);
  if (!parsed) {
    errno = ENOENT;
    return -1;
  }
  std::optional<std::string> host = HostOf(*parsed);
  if (!host) {
    errno = ENOENT;
    return -1;
  }
  struct stat st {};
  if (::stat(host->c_str(), &st) != 0) return -1;
  if (!S_ISDIR(st.st_mode)) {
    errno = ENOTDIR;
    return -1;
  }
  std::lock_guard<std::mutex> lock(currentMutex);
  currentDrive = parsed->drive;
  currentDirectories[parsed->drive] = parsed->components;
  return 0;
}

std::string GetCurrentDirectory() {
  std::lock_guard<std::mutex> lock(currentMutex);
  WindowsPath path;
  path.drive = currentDrive;
  path.components = currentDirectories[currentDrive];
  return Format(path);
}

int MakeDirectory(const std::string& windowsPath) {
  std::optional<std::string> host = ToHostPath(windowsPath);
  if (!host) {
    errno = ENOENT;
    return -1;
  }
  return ::mkdir(host->c_str(), 0777) == 0 ? 0 : -1;
}

std::optional<std::string> FromHostPath(const std::string& hostPath) {
  namespace fs = std::filesystem;
  if (hostPath.empty() || hostPath[0] != '/') return std::nullopt;
  auto tidy = [](const std::string& path) {
    std::error_code ec;
    fs::path canonical = fs::weakly_canonical(path, ec);
    return ec ? fs::path(path).lexically_normal() : canonical;
  };
  const fs::path target = tidy(hostPath);
  std::optional<WindowsPath> best;
  std::size_t bestRootLength = 0;
  const uint32_t drives = GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(drives & (uint32_t{1} << bit))) continue;
    const char letter = static_cast<char>('A' + bit);
    std::optional<std::string> root = DriveHostRoot(letter);
    if (!root) continue;
    const fs::path rootPath = tidy(*root);
    const fs::path relative = target.lexically_relative(rootPath);
    if (relative.empty() || *relative.begin() == "..") continue;
    // The drive mapped closest to the file wins (C: inside the data root before Z: at "/").
    const std::size_t rootLength = rootPath.string().size();
    if (best && rootLength <= bestRootLength) continue;
    WindowsPath candidate;
    candidate.drive = letter;
    bool representable = true;
    for (const fs::path& word : relative) {
      const std::string name = word.string();
      if (name == "." || name.empty()) continue;
      if (!CarriesAsWindowsName(name)) representable = false;
      candidate.components.push_back(WindowsNameOf(name));
    }
    if (!representable) continue;
    best = candidate;
    bestRootLength = rootLength;
  }
  if (!best) return std::nullopt;
  return Format(*best);
}

void ResetCurrentDirectory() {
  std::lock_guard<std::mutex> lock(currentMutex);
  currentDrive = 'C';
  currentDirectories.clear();
}

}  // namespace plat
