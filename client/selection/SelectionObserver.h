#pragma once
#include <string>
#include <utility>

namespace arkvale {

// What an update broadcast asks the views to do.
struct SelectionHint {
  enum class Kind {
    Refresh,    // the file list repaints; the tree applies mark 0 to its current item
    Mark,       // a mark for the tree's current directory (sent by the file list only)
    Directory,  // the file list refills from directory; the tree recomputes ancestor marks
  };
  Kind kind = Kind::Refresh;
  int mark = 0;  // 1 partly chosen, 2 wholly chosen
  std::string directory;

  static SelectionHint Refresh() { return {}; }
  static SelectionHint Mark(int mark) { return {Kind::Mark, mark, {}}; }
  static SelectionHint Directory(std::string directory) {
    return {Kind::Directory, 0, std::move(directory)};
  }
};

// Implemented by the views that show the selection (drive tree, file list).
class SelectionObserver {
 public:
  virtual ~SelectionObserver() = default;
  virtual void OnSelectionUpdate(const SelectionHint& hint) = 0;
};

}  // namespace arkvale
