#pragma once
// The restore run: asks the server for each ticked file, decrypts and decompresses what it sends
// and puts the result at the file's own path. A file on disk is replaced only by a complete
// restored copy, in one rename; whatever goes wrong before that leaves it as it was.
#include <vector>

#include "client/transfer/IndexEntry.h"
#include "client/transfer/RestoreMode.h"
#include "client/transfer/RestoreProgress.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kRestoreStopFile = "C:\\restore_stop_file_name123";
inline constexpr const char* kRestoreSafetyCopy = "C:\\restore_file_name_tempxyz555";

// Started by the Restore dialog with restoreInProgress set and the entries of the ticked rows,
// top to bottom, taken when Start restore was pressed; a restored file gets its entry's time. Stops
// between two files when the stop file appears and clears restoreInProgress at every end. 0 after a
// completed or stopped run, 1 after one that ended early.
// A folder mode puts each file under the folder (PathInFolder) instead of at its own path; a
// Compare writes nothing at any user path, compares each file brought back with the file at its
// own path and ends with the results and their summary instead of "Restore operation completed".
int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<IndexEntry>& rows, const RestoreMode& mode = {});

}  // namespace arkvale
