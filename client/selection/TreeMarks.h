#pragma once
// How much of a directory is chosen, as the drive tree shows it: the image numbers of the tree's
// pictures and the mark computations, kept free of widgets so they can be tested headless.
#include <optional>
#include <string>
#include <vector>

namespace arkvale {

class CSelection;

// A mark: how much of a directory is chosen.
constexpr int kMarkNone = 0;
constexpr int kMarkPartly = 1;
constexpr int kMarkWholly = 2;

// The pictures come in groups of three (nothing, partly, wholly chosen); the image number is
// 3 x kind + mark.
enum class ItemKind { HardDrive = 0, Removable = 1, CdDrive = 2, ClosedFolder = 3, OpenFolder = 4 };
constexpr int kImageCount = 15;
constexpr int kFolderImage = 9;       // closed folder, nothing chosen
constexpr int kOpenFolderImage = 12;  // open folder, nothing chosen

constexpr int ImageOf(ItemKind kind, int mark) { return 3 * static_cast<int>(kind) + mark; }

// A tree item's normal and selected image.
struct ItemImages {
  int normal = kFolderImage;
  int selected = kFolderImage;
  bool operator==(const ItemImages&) const = default;
};

// The images of a mark for the kind of item that currently shows `current`: a drive shows the
// same image twice, a directory a closed folder and an open one when selected. Images outside
// the scheme are kept.
ItemImages ImagesForMark(const ItemImages& current, int mark);
bool ShowsWhollyChosen(const ItemImages& images);
bool ShowsPartlyChosen(const ItemImages& images);

// The plain files directly in a directory and how many of them are chosen files. A file named
// twice in the chosen-file list counts once.
struct OwnFiles {
  int total = 0;
  int matched = 0;
};
// nullopt when the directory cannot be listed.
std::optional<OwnFiles> CountOwnFiles(const std::string& directory, const CSelection& selection);

// Some chosen directory or chosen file lies under the directory (or is the directory).
bool AnythingChosenUnder(const std::string& directory, const CSelection& selection);

// The mark of a directory that is not itself chosen, from its files on disk and the selection.
int DirectoryMarkFromDisk(const std::string& directory, const CSelection& selection);

// The mark of a file list with n rows of which t are ticked.
int MarkFromTicks(int n, int t);

// What an ancestor of a changed item shows: from its own files (or its tick, or its wholly
// chosen picture) and its children's pictures. nullopt when its directory cannot be listed, which
// ends the walk up the tree.
struct AncestorState {
  std::string path;
  ItemImages images;
  bool boxTicked = false;
  std::vector<ItemImages> children;
};
std::optional<int> AncestorMark(const AncestorState& ancestor, const CSelection& selection);

}  // namespace arkvale
