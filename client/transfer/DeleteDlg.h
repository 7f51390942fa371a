#pragma once
// The Delete dialog: the files stored on the server, to tick for a delete run, with its bar.
#include <memory>

#include "client/transfer/DeleteRun.h"
#include "client/transfer/IndexDlg.h"

namespace Ui {
class DeleteDlg;
}

namespace arkvale {

inline constexpr const char* kDeleteStillRunningText = "Delete operation still in progress";
inline constexpr const char* kDeleteConfirmText =
    "This will delete the selected files from the backup server\n Are you sure you want to "
    "continue";

class CDeleteDlg : public CIndexDlg, public DeleteProgress {
  Q_OBJECT
 public:
  // Created hidden; the retrieval shows it once the list is filled.
  CDeleteDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent = nullptr);
  ~CDeleteDlg() override;

  Owner BoxOwner() const override { return Owner::DeleteDialog; }

  // DeleteProgress, called from the run's thread.
  void SetDeleteBar(int position) override;
  void DisableRunButtons() override;

 protected:
  std::atomic<bool>& RunFlag() const override;
  const char* StopFile() const override { return kDeleteStopFile; }
  const char* StillRunningText() const override { return kDeleteStillRunningText; }
  // Asks first; a press while a run is under way starts nothing.
  void OnStart() override;

 private:
  std::unique_ptr<Ui::DeleteDlg> ui_;
};

}  // namespace arkvale
