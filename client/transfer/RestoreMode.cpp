#include "client/transfer/RestoreMode.h"

#include "client/transfer/CompareDestination.h"
#include "client/transfer/FolderDestination.h"
#include "client/transfer/RestoreRun.h"

namespace arkvale {

int RunRestoreAs(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
                 const std::vector<IndexEntry>& rows, const RestoreMode& mode) {
  switch (mode.kind) {
    case RestoreMode::Kind::Folder: {
      CFolderDestination folder(doc, mode.folder);
      return RunRestore(doc, session, progress, rows, &folder);
    }
    case RestoreMode::Kind::Compare: {
      CCompareDestination compare(doc, progress);
      return RunRestore(doc, session, progress, rows, &compare);
    }
    case RestoreMode::Kind::OriginalLocations:
      break;
  }
  return RunRestore(doc, session, progress, rows);
}

}  // namespace arkvale
