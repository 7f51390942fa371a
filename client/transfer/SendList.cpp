#include "client/transfer/SendList.h"

#include <algorithm>

#include "client/selection/SelectionPaths.h"
#include "client/transfer/IndexEntry.h"
#include "platform/DirectorySearch.h"

namespace arkvale {

namespace {

void AppendPlainFiles(const std::string& directory, std::vector<std::string>& list,
                      std::vector<std::string>* refusedHostPaths) {
  std::vector<std::string> refused;
  auto entries = plat::ListDirectory(directory, refused);
  if (refusedHostPaths)
    refusedHostPaths->insert(refusedHostPaths->end(), refused.begin(), refused.end());
  if (!entries) return;
  for (const auto& entry : *entries) {
    if (entry.attributes & plat::kFileAttributeDirectory) continue;
    list.push_back(JoinPath(directory, entry.name));
  }
}

}  // namespace

std::vector<std::string> BuildSendList(const SelectionSnapshot& selection,
                                       std::vector<std::string>* refusedHostPaths) {
  std::vector<std::string> list;
  for (const auto& d : selection.chosenDirectories)
    AppendPlainFiles(d.path, list, refusedHostPaths);
  for (const auto& f : selection.chosenFiles) {
    bool covered =
        std::any_of(selection.chosenDirectories.begin(), selection.chosenDirectories.end(),
                    [&](const ChosenDirectory& d) { return d.path == f.directory; });
    if (!covered) list.push_back(f.fullPath);
  }
  return list;
}

std::vector<std::string> BuildSendList(const BackupSetContents& set,
                                       std::vector<std::string>* refusedHostPaths) {
  std::vector<std::string> list;
  for (const auto& d : set.directories) AppendPlainFiles(d, list, refusedHostPaths);
  for (const auto& line : set.files) {
    const std::string holder = DirectoryPart(line);
    bool covered =
        std::any_of(set.directories.begin(), set.directories.end(),
                    [&](const std::string& d) { return d == holder || d + "\\" == holder; });
    if (!covered) list.push_back(line);
  }
  return list;
}

bool FitsIndexLine(const std::string& path) {
  // path TAB data-bytes TAB size TAB time LF, with the widest numbers each field can hold: 20
  // digits of a 64-bit count and two signed 32-bit values.
  constexpr std::size_t kWidestRest = 1 + 20 + 1 + 11 + 1 + 11 + 1;
  return path.size() + kWidestRest <= kIndexLineBuffer - 1;
}

std::string FileInfo(const std::string& path, int32_t size, int32_t modificationTime) {
  return path + "?" + std::to_string(size) + "?" + std::to_string(modificationTime);
}

}  // namespace arkvale
