#pragma once
// What a restore run does with each file it brings back whole: put it at its own path, put it
// under a folder the user chose, or only compare it with the file at its own path.
#include <string>
#include <vector>

#include "client/transfer/IndexEntry.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;
class RestoreProgress;

struct RestoreMode {
  enum class Kind { OriginalLocations, Folder, Compare };
  Kind kind = Kind::OriginalLocations;
  // For Folder: the folder's Windows form (RestoreFolderOf).
  std::string folder;

  static RestoreMode IntoFolder(std::string folder) { return {Kind::Folder, std::move(folder)}; }
  static RestoreMode Comparing() { return {Kind::Compare, {}}; }
};

// The restore run (RunRestore) with the destination of the mode.
int RunRestoreAs(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
                 const std::vector<IndexEntry>& rows, const RestoreMode& mode);

}  // namespace arkvale
