#include "client/transfer/RestoreFolder.h"

#include <cctype>
#include <vector>

#include "platform/Drives.h"
#include "platform/Files.h"
#include "platform/Paths.h"

namespace arkvale {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// "X:\..." or "X:/...", either case.
bool HasDriveRoot(const std::string& path) {
  return path.size() >= 3 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' &&
         IsSeparator(path[2]);
}

}  // namespace

std::optional<std::string> RestoreFolderOf(const std::string& typed) {
  std::optional<std::string> folder;
  if (!typed.empty() && typed[0] == '/') {
    folder = plat::FromHostPath(typed);
  } else if (HasDriveRoot(typed)) {
    folder = plat::FullWindowsPath(typed);
  }
  if (!folder || !plat::ToHostPath(*folder)) return std::nullopt;
  // A missing folder is made by the restore; a file in its place cannot hold anything.
  const std::optional<plat::FileStatus> status = plat::StatFile(*folder);
  if (status && !status->isDirectory) return std::nullopt;
  return folder;
}

std::optional<std::string> PathInFolder(const std::string& folder, const std::string& storedPath) {
  if (!HasDriveRoot(storedPath)) return std::nullopt;
  std::string out = folder;
  if (out.empty() || !IsSeparator(out.back())) out += '\\';
  out += static_cast<char>(std::toupper(static_cast<unsigned char>(storedPath[0])));
  std::string part;
  bool any = false;
  for (std::size_t i = 2; i <= storedPath.size(); ++i) {
    if (i < storedPath.size() && !IsSeparator(storedPath[i])) {
      part += storedPath[i];
      continue;
    }
    if (part == "." || part == "..") return std::nullopt;
    if (!part.empty()) {
      out += '\\' + part;
      any = true;
    }
    part.clear();
  }
  if (!any) return std::nullopt;
  return out;
}

}  // namespace arkvale
