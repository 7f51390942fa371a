#pragma once
// The delete run: tells the server how many stored files go and hands over one path each time
// the server asks for the next name; then the quota and the Delete dialog's list are fetched
// again. A worker thread's routine: 0 after a completed or stopped run, 1 after an early end.
#include <string>
#include <vector>

#include "client/session/Framing.h"
#include "client/transfer/ServerIndex.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kDeleteStopFile = "C:\\delete_stop_file_name123";
inline constexpr const char* kDeleteCompletedText = "Delete operation completed";
inline constexpr const char* kDeleteLostText = "Lost connection to server during delete";

// What the run drives on the Delete dialog besides its list. Calls come from the run's thread.
class DeleteProgress {
 public:
  virtual ~DeleteProgress() = default;
  // The run's bar, 0 to 100.
  virtual void SetDeleteBar(int position) = 0;
  // The run has completed: "Stop delete" and "Start delete" are disabled.
  virtual void DisableRunButtons() = 0;
};

// Started with deleteInProgress set; paths are the ticked rows, top to bottom. Clears
// deleteInProgress at every end.
int RunDelete(CArkvaleDoc& doc, CSession& session, IndexSink& list, DeleteProgress& dialog,
              std::vector<std::string> paths, int timeoutMs = kReplyTimeoutMs);

}  // namespace arkvale
