#pragma once
// The restore run: asks the server for each ticked file, decrypts and decompresses what it sends
// as it arrives, and hands the complete content to a destination, by default the file's own path.
// A file on disk is replaced only by a complete restored copy, in one rename; whatever goes wrong
// before that leaves it as it was.
#include <vector>

#include "client/transfer/IndexEntry.h"
#include "client/transfer/RestoreDestination.h"
#include "client/transfer/RestoreProgress.h"
#include "client/transfer/RestoreTarget.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kRestoreStopFile = "C:\\restore_stop_file_name123";

// Started by the Restore dialog with restoreInProgress set and the entries of the ticked rows,
// top to bottom, taken when Start restore was pressed. Each file's content goes to destination,
// or back to its own path (CInPlaceDestination) when there is none. Stops between two files when
// the stop file appears and clears restoreInProgress at every end. 0 after a completed or stopped
// run, 1 after one that ended early.
int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<IndexEntry>& rows, RestoreDestination* destination = nullptr);

}  // namespace arkvale
