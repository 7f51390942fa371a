#pragma once
// The Restore dialog: the files stored on the server, to tick for a restore run, with the run's
// Transmission, Decrypting and Uncompressing bars.
#include <memory>

#include "client/transfer/IndexDlg.h"

namespace Ui {
class RestoreDlg;
}

class QProgressBar;

namespace arkvale {

inline constexpr const char* kRestoreStillRunningText = "Restore operation still in progress";

class CRestoreDlg : public CIndexDlg {
  Q_OBJECT
 public:
  // Created hidden; the retrieval shows it once the list is filled.
  CRestoreDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent = nullptr);
  ~CRestoreDlg() override;

  Owner BoxOwner() const override { return Owner::RestoreDialog; }

  QProgressBar* transmissionBar() const;
  QProgressBar* decryptingBar() const;
  QProgressBar* uncompressingBar() const;

 protected:
  std::atomic<bool>& RunFlag() const override;
  const char* StopFile() const override;
  const char* StillRunningText() const override { return kRestoreStillRunningText; }
  // There is no restore run in the program yet: Start restore stays disabled.
  bool StartAvailable() const override { return false; }
  void OnStart() override {}

 private:
  std::unique_ptr<Ui::RestoreDlg> ui_;
};

}  // namespace arkvale
