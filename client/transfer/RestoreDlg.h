#pragma once
// The Restore dialog: the files stored on the server, to tick for a restore run, with the run's
// Transmission, Decrypting and Uncompressing bars.
#include <memory>

#include "client/transfer/IndexDlg.h"
#include "client/transfer/RestoreRun.h"

namespace Ui {
class RestoreDlg;
}

class QProgressBar;

namespace arkvale {

inline constexpr const char* kRestoreStillRunningText = "Restore operation still in progress";

class CRestoreDlg : public CIndexDlg, public RestoreProgress {
  Q_OBJECT
 public:
  // Created hidden; the retrieval shows it once the list is filled.
  CRestoreDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent = nullptr);
  ~CRestoreDlg() override;

  Owner BoxOwner() const override { return Owner::RestoreDialog; }

  QProgressBar* transmissionBar() const;
  QProgressBar* decryptingBar() const;
  QProgressBar* uncompressingBar() const;

  // RestoreProgress, called from the run's thread.
  void SetTransmission(int position) override;
  void SetDecrypting(int position) override;
  void SetUncompressing(int position) override;
  void DisableStopButton() override;

 protected:
  std::atomic<bool>& RunFlag() const override;
  const char* StopFile() const override;
  const char* StillRunningText() const override { return kRestoreStillRunningText; }
  // Starts the run on the ticked rows; a press while a run is under way starts nothing.
  void OnStart() override;

 private:
  std::unique_ptr<Ui::RestoreDlg> ui_;
};

}  // namespace arkvale
