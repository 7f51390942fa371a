#pragma once
// The restore run: asks the server for each ticked file, decrypts and decompresses what it sends
// and puts the result at the file's own path. A file on disk is replaced only by a complete
// restored copy, in one rename; whatever goes wrong before that leaves it as it was.
#include <cstdint>
#include <string>
#include <vector>

#include "client/transfer/RestoreProgress.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kRestoreStopFile = "C:\\restore_stop_file_name123";
inline constexpr const char* kRestoreSafetyCopy = "C:\\restore_file_name_tempxyz555";

// One ticked row of the Restore dialog: the stored path, the size and the modification time the
// index lists for it.
struct RestoreRow {
  std::string name;
  int32_t size = 0;
  int32_t modified = 0;
};

// Started by the Restore dialog with restoreInProgress set and the ticked rows, top to bottom,
// taken when Start restore was pressed. Stops between two files when the stop file appears and
// clears restoreInProgress at every end. 0 after a completed or stopped run, 1 after one that
// ended early.
int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<RestoreRow>& rows);

}  // namespace arkvale
