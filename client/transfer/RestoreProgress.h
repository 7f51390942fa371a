#pragma once
// What a restore run drives on the Restore dialog. Calls come from the run's worker thread; an
// implementation carries them to the user-interface thread.
#include <string>
#include <vector>

#include "client/transfer/CompareResult.h"

namespace arkvale {

class RestoreProgress {
 public:
  virtual ~RestoreProgress() = default;

  // Bar positions, 0 to 100.
  virtual void SetTransmission(int position) = 0;
  virtual void SetDecrypting(int position) = 0;
  virtual void SetUncompressing(int position) = 0;

  // The run is over: Stop restore is disabled.
  virtual void DisableStopButton() = 0;

  // A Compare has ended: its results, one per file it reached, and their summary.
  virtual void ShowCompareResults(std::vector<CompareResult> results, std::string summary) = 0;
};

}  // namespace arkvale
