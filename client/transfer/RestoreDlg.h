#pragma once
// The Restore dialog: the files stored on the server, to tick for a restore run, with the run's
// Transmission, Decrypting and Uncompressing bars. The run puts the files back at their own
// paths or under a chosen folder, or Compare checks them against the files here.
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

#include "client/transfer/IndexDlg.h"
#include "client/transfer/RestoreMode.h"
#include "client/transfer/RestoreRun.h"

namespace Ui {
class RestoreDlg;
}

class QProgressBar;

namespace arkvale {

class CCompareResultsDlg;

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
  // The last Compare's results window while it is open.
  CCompareResultsDlg* resultsWindow() const;

  // Browse asks it for a folder, as a host path; tests answer in its place.
  using FolderChooser = std::function<std::optional<std::string>(const QString& startDirectory)>;
  void SetFolderChooser(FolderChooser chooser) { chooseFolder_ = std::move(chooser); }
  void OnBrowse();
  // Starts a run that compares the ticked files with the files at their paths.
  void OnCompare();

  // RestoreProgress, called from the run's thread.
  void SetTransmission(int position) override;
  void SetDecrypting(int position) override;
  void SetUncompressing(int position) override;
  void DisableStopButton() override;
  void ShowCompareResults(std::vector<CompareResult> results, std::string summary) override;

 protected:
  std::atomic<bool>& RunFlag() const override;
  const char* StopFile() const override;
  const char* StillRunningText() const override { return kRestoreStillRunningText; }
  // Starts the run on the ticked rows; a press while a run is under way starts nothing.
  void OnStart() override;
  void EnableStart(bool enabled) override;

 private:
  // The folder of "this folder:", or nullopt after telling the user what is wrong with it.
  std::optional<std::string> ChosenFolder();
  void StartRestore(RestoreMode mode);

  std::unique_ptr<Ui::RestoreDlg> ui_;
  FolderChooser chooseFolder_;
  QPointer<CCompareResultsDlg> resultsWindow_;
};

}  // namespace arkvale
