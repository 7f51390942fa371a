#pragma once
// What a manual backup run drives on the Backup dialog. Calls come from the run's worker
// thread; an implementation carries them to the user-interface thread.
#include <cstdint>

namespace arkvale {

class BackupProgress {
 public:
  virtual ~BackupProgress() = default;

  // Total size of the chosen files as the dialog computed it when it opened.
  virtual uint32_t BytesSelected() const = 0;
  virtual void SetBytesTransmitted(uint32_t bytes) = 0;
  virtual void SetFilesTransmitted(uint32_t files) = 0;
  // Shows the counters as they are now.
  virtual void RefreshFields() = 0;

  // Bar positions, 0 to 100.
  virtual void SetCompressing(int position) = 0;
  virtual void SetEncrypting(int position) = 0;
  virtual void SetTransmission(int position) = 0;

  // The run is over: Stop Backup is disabled.
  virtual void DisableStopButton() = 0;
};

}  // namespace arkvale
