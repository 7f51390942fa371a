#include "client/selection/Selection.h"

#include <algorithm>
#include <unordered_set>

#include "client/selection/SelectionPaths.h"
#include "platform/DirectorySearch.h"

namespace arkvale {

bool CSelection::IsDirectoryChosen(const std::string& path) const {
  return std::any_of(chosenDirectories.begin(), chosenDirectories.end(),
                     [&](const ChosenDirectory& d) { return d.path == path; });
}

void CSelection::RemoveChosenDirectory(const std::string& path) {
  auto it = std::find_if(chosenDirectories.begin(), chosenDirectories.end(),
                         [&](const ChosenDirectory& d) { return d.path == path; });
  if (it != chosenDirectories.end()) chosenDirectories.erase(it);
}

namespace {

// Post-order: the deepest directories are appended first. `chosen` mirrors the paths of the
// list, so that a walk over ten thousand directories does not search the list once for each.
void ChooseWalk(std::vector<ChosenDirectory>& directories, std::unordered_set<std::string>& chosen,
                const std::string& path) {
  auto entries = plat::ListDirectory(path);
  if (!entries) return;
  for (const auto& entry : *entries) {
    if (!(entry.attributes & plat::kFileAttributeDirectory)) continue;
    // A link to a directory could lead back up the tree; a walk never follows one.
    if (entry.attributes & plat::kFileAttributeReparsePoint) continue;
    if (entry.name == "." || entry.name == "..") continue;
    ChooseWalk(directories, chosen, JoinPath(path, entry.name));
  }
  if (chosen.insert(path).second) directories.push_back(ChosenDirectory{path});
}

}  // namespace

void CSelection::ChooseDirectoryTree(const std::string& path) {
  std::unordered_set<std::string> chosen;
  for (const auto& directory : chosenDirectories) chosen.insert(directory.path);
  ChooseWalk(chosenDirectories, chosen, path);
}

void CSelection::UnchooseDirectoryTree(const std::string& path) {
  std::erase_if(chosenDirectories,
                [&](const ChosenDirectory& d) { return LiesUnder(d.path, path); });
  std::erase_if(chosenFiles, [&](const ChosenFile& f) { return LiesUnder(f.fullPath, path); });
}

void CSelection::ToggleChosenFile(const std::string& directory, const std::string& name) {
  std::string fullPath = JoinPath(directory, name);
  auto it = std::find_if(chosenFiles.begin(), chosenFiles.end(),
                         [&](const ChosenFile& f) { return f.fullPath == fullPath; });
  if (it != chosenFiles.end()) {
    chosenFiles.erase(it);
    return;
  }
  chosenFiles.push_back(ChosenFile{fullPath, directory, name, FileSizeOf(fullPath)});
}

void CSelection::SplitChosenDirectory(const std::string& directory, const std::string& exceptedName,
                                      const std::vector<std::string>& shownNames) {
  RemoveChosenDirectory(directory);
  for (const auto& name : shownNames) {
    if (name == exceptedName) continue;
    std::string fullPath = JoinPath(directory, name);
    chosenFiles.push_back(ChosenFile{fullPath, directory, name, FileSizeOf(fullPath)});
  }
}

void CSelection::ClearSelection() {
  chosenFiles.clear();
  chosenDirectories.clear();
}

void CSelection::AddObserver(SelectionObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
}

void CSelection::RemoveObserver(SelectionObserver* observer) { std::erase(observers_, observer); }

void CSelection::UpdateAllViews(SelectionObserver* sender, const SelectionHint& hint) {
  // A view may add or remove observers while it handles the hint.
  std::vector<SelectionObserver*> observers = observers_;
  for (auto* observer : observers) {
    if (observer == sender) continue;
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) continue;
    observer->OnSelectionUpdate(hint);
  }
}

}  // namespace arkvale
