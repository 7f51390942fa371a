#pragma once
// The chosen directories and files of the next backup, the operations the views use to change
// them, and the update broadcast that keeps the views in step. User-interface thread only.
#include <string>
#include <vector>

#include "client/selection/ChosenDirectory.h"
#include "client/selection/ChosenFile.h"
#include "client/selection/SelectionObserver.h"

namespace arkvale {

// A copy of both lists, taken on the user-interface thread for a run on another thread.
struct SelectionSnapshot {
  std::vector<ChosenDirectory> chosenDirectories;
  std::vector<ChosenFile> chosenFiles;
};

class CSelection {
 public:
  std::vector<ChosenDirectory> chosenDirectories;
  std::vector<ChosenFile> chosenFiles;
  // The directory the file list shows at the moment; empty at start.
  std::string currentDirectory;

  bool IsDirectoryChosen(const std::string& path) const;
  // Removes the first record with this path, if any.
  void RemoveChosenDirectory(const std::string& path);

  // Enters path and every directory beneath it, deepest first, skipping directories that are
  // already chosen, directories that cannot be listed (with everything below them) and links.
  void ChooseDirectoryTree(const std::string& path);
  // Removes every chosen directory and chosen file that lies under path.
  void UnchooseDirectoryTree(const std::string& path);
  // Adds the file directory\name, or removes it when it is chosen already.
  void ToggleChosenFile(const std::string& directory, const std::string& name);
  // Replaces a chosen directory by file records for every shown name except one.
  void SplitChosenDirectory(const std::string& directory, const std::string& exceptedName,
                            const std::vector<std::string>& shownNames);
  // Empties both lists, files first.
  void ClearSelection();
  bool NothingChosen() const { return chosenDirectories.empty() && chosenFiles.empty(); }
  SelectionSnapshot Snapshot() const { return {chosenDirectories, chosenFiles}; }

  void AddObserver(SelectionObserver* observer);
  void RemoveObserver(SelectionObserver* observer);
  // Tells every observer but the sender (nullptr: tell all).
  void UpdateAllViews(SelectionObserver* sender, const SelectionHint& hint);

 private:
  std::vector<SelectionObserver*> observers_;
};

}  // namespace arkvale
