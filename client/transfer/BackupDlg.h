#pragma once
// The Backup dialog (modeless, one at a time): what a manual backup will take, with totals, the
// Start and Stop buttons, and the counters and bars the backup run drives from its thread.
#include <QDialog>
#include <QElapsedTimer>
#include <atomic>
#include <memory>
#include <thread>

#include "client/transfer/BackupListModel.h"
#include "client/transfer/BackupProgress.h"

class QTableView;

namespace Ui {
class BackupDlg;
}

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kNoEncryptionKeyText =
    "You must fill in an encryption key before you can back up files \n see the help for the "
    "importance of this and how to do it";
inline constexpr const char* kBackupStillRunningText = "Backup operation still in progress";

class CBackupDlg : public QDialog, public BackupProgress {
  Q_OBJECT
 public:
  // Lists the document's selection as it is now; the dialog deletes itself when it closes.
  CBackupDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent = nullptr);
  ~CBackupDlg() override;

  CDirectoryListModel& directoryModel() { return directories_; }
  CFileListModel& fileModel() { return files_; }

  void OnStartBackup();
  void OnStopBackup();
  // Close window (and Esc): refused with a box while a run is under way.
  void OnCloseWindow();

  // BackupProgress, called from the run's thread.
  uint32_t BytesSelected() const override { return bytesSelected_; }
  void SetBytesTransmitted(uint32_t bytes) override { bytesTransmitted_ = bytes; }
  void SetFilesTransmitted(uint32_t files) override { filesTransmitted_ = files; }
  void RefreshFields() override;
  void SetCompressing(int position) override;
  void SetEncrypting(int position) override;
  void SetTransmission(int position) override;
  void DisableStopButton() override;

 protected:
  void closeEvent(QCloseEvent* event) override;
  // Esc asks to close, like the Close window button.
  void reject() override;

 private:
  void SetUpList(QTableView* view, const std::array<ListColumn, 4>& columns, bool chosenNone);
  void ShowCounters();
  // The run reports far more often than a screen changes, and every change of a control costs
  // a repaint and an event for a screen reader: its values are kept and shown at most once a
  // frame, the latest each time.
  void ShowSoon();
  void ShowWhenDue();
  void ShowProgress();
  void ShowStillRunning();
  // Runs f on the user-interface thread, now or as soon as it gets there.
  template <typename F>
  void OnInterfaceThread(F f);

  CArkvaleDoc& doc_;
  CSession& session_;
  std::unique_ptr<Ui::BackupDlg> ui_;
  CDirectoryListModel directories_;
  CFileListModel files_;
  std::atomic<uint32_t> bytesSelected_{0};
  std::atomic<uint32_t> filesSelected_{0};
  std::atomic<uint32_t> bytesTransmitted_{0};
  std::atomic<uint32_t> filesTransmitted_{0};
  std::atomic<int> compressing_{0};
  std::atomic<int> encrypting_{0};
  std::atomic<int> transmission_{0};
  std::atomic<bool> showPending_{false};
  QElapsedTimer lastShown_;
  std::thread run_;
};

}  // namespace arkvale
