#pragma once
// The restore run: asks the server for each ticked file, decrypts and decompresses what it sends
// and puts the result at the file's own path. A file on disk is replaced only by a complete
// restored copy, in one rename; whatever goes wrong before that leaves it as it was.
#include <vector>

#include "client/transfer/IndexEntry.h"
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
int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<IndexEntry>& rows);

}  // namespace arkvale
