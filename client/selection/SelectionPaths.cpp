#include "client/selection/SelectionPaths.h"

#include "platform/Files.h"

namespace arkvale {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the drive and directory components: up to and including the last separator, or
// the drive alone.
std::size_t DirectoryLength(const std::string& fullPath) {
  std::size_t last = fullPath.find_last_of("\\/");
  if (last != std::string::npos) return last + 1;
  if (fullPath.size() >= 2 && fullPath[1] == ':') return 2;
  return 0;
}

}  // namespace

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (!directory.empty() && directory.back() == '\\') return directory + name;
  return directory + "\\" + name;
}

bool LiesUnder(const std::string& path, const std::string& directory) {
  if (path.compare(0, directory.size(), directory) != 0 || path.size() < directory.size()) {
    return false;
  }
  if (path.size() == directory.size()) return true;
  if (!directory.empty() && IsSeparator(directory.back())) return true;
  return IsSeparator(path[directory.size()]);
}

std::string DirectoryPart(const std::string& fullPath) {
  return fullPath.substr(0, DirectoryLength(fullPath));
}

std::string NamePart(const std::string& fullPath) {
  return fullPath.substr(DirectoryLength(fullPath));
}

int32_t FileSizeOf(const std::string& fullPath) {
  auto status = plat::StatFile(fullPath);
  if (!status) return 0;
  return static_cast<int32_t>(static_cast<uint32_t>(status->size));
}

}  // namespace arkvale
