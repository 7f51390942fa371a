#include "client/selection/TreeMarks.h"

#include <unordered_map>

#include "client/selection/Selection.h"
#include "client/selection/SelectionPaths.h"
#include "platform/DirectorySearch.h"

namespace arkvale {

namespace {

bool IsFolderImage(int image) { return image >= kFolderImage && image < kImageCount; }

}  // namespace

ItemImages ImagesForMark(const ItemImages& current, int mark) {
  if (mark < kMarkNone || mark > kMarkWholly) return current;
  if (IsFolderImage(current.normal)) {
    return {ImageOf(ItemKind::ClosedFolder, mark), ImageOf(ItemKind::OpenFolder, mark)};
  }
  if (current.normal >= 0 && current.normal < kFolderImage) {
    int image = current.normal - current.normal % 3 + mark;
    return {image, image};
  }
  return current;
}

bool ShowsWhollyChosen(const ItemImages& images) {
  auto wholly = [](int image) { return image == 11 || image == 14; };
  return wholly(images.normal) || wholly(images.selected);
}

bool ShowsPartlyChosen(const ItemImages& images) {
  auto partly = [](int image) { return image == 10 || image == 13; };
  return partly(images.normal) || partly(images.selected);
}

std::optional<OwnFiles> CountOwnFiles(const std::string& directory, const CSelection& selection) {
  auto entries = plat::ListDirectory(directory);
  if (!entries) return std::nullopt;
  // Each plain file is matched at most once, however often the chosen-file list names it (a
  // split directory and a loaded set can both add the same path).
  std::unordered_map<std::string, bool> matchedByName;
  for (auto& entry : *entries) {
    if (!(entry.attributes & plat::kFileAttributeDirectory)) {
      matchedByName.emplace(std::move(entry.name), false);
    }
  }
  OwnFiles own;
  own.total = static_cast<int>(matchedByName.size());
  const std::string prefix = JoinPath(directory, "");
  for (const auto& file : selection.chosenFiles) {
    if (file.fullPath.size() <= prefix.size() || file.fullPath.compare(0, prefix.size(), prefix)) {
      continue;
    }
    auto it = matchedByName.find(file.fullPath.substr(prefix.size()));
    if (it != matchedByName.end() && !it->second) {
      it->second = true;
      ++own.matched;
    }
  }
  return own;
}

bool AnythingChosenUnder(const std::string& directory, const CSelection& selection) {
  for (const auto& chosen : selection.chosenDirectories) {
    if (LiesUnder(chosen.path, directory)) return true;
  }
  for (const auto& chosen : selection.chosenFiles) {
    if (LiesUnder(chosen.fullPath, directory)) return true;
  }
  return false;
}

int DirectoryMarkFromDisk(const std::string& directory, const CSelection& selection) {
  auto own = CountOwnFiles(directory, selection);
  if (!own) return kMarkNone;
  if (own->total > 0 && own->matched == own->total) return kMarkWholly;
  if (own->matched > 0) return kMarkPartly;
  return AnythingChosenUnder(directory, selection) ? kMarkPartly : kMarkNone;
}

int MarkFromTicks(int n, int t) {
  if (n == 0 || t == 0) return kMarkNone;
  return t == n ? kMarkWholly : kMarkPartly;
}

std::optional<int> AncestorMark(const AncestorState& ancestor, const CSelection& selection) {
  int full = 0;
  bool partial = false;
  if (ShowsWhollyChosen(ancestor.images) || ancestor.boxTicked) {
    full = 1;
  } else {
    auto own = CountOwnFiles(ancestor.path, selection);
    if (!own) return std::nullopt;
    if (own->total > 0 && own->matched == own->total) full = 1;
    partial = own->matched > 0;
  }
  int units = 1;  // the directory's own files
  for (const auto& child : ancestor.children) {
    ++units;
    if (ShowsWhollyChosen(child)) ++full;
    if (ShowsPartlyChosen(child)) partial = true;
  }
  if (!partial && full == 0) return kMarkNone;
  return full == units ? kMarkWholly : kMarkPartly;
}

}  // namespace arkvale
