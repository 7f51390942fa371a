#pragma once
// What a restore run drives on the Restore dialog. Calls come from the run's worker thread; an
// implementation carries them to the user-interface thread.

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
};

}  // namespace arkvale
