// The main window's Schedule command and its schedule check on timer 3.
#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/AutomaticBackup.h"
#include "client/scheduler/ScheduleCheck.h"
#include "client/scheduler/ScheduleDlg.h"
#include "client/scheduler/ScheduleLock.h"
#include "client/shell/MainFrame.h"

namespace arkvale {

void CMainFrame::OnSchedule() {
  // Tested on the copy read at start-up, in the order a connection needs them.
  const std::pair<const std::string*, const char*> needed[] = {
      {&settingsCopy_.encryptionKey,
       "You must define an encryption key in \"Configure\" before setting scheduler parameters"},
      {&settingsCopy_.serverName,
       "You must fill in a backup server name in \"Configure\" before setting scheduler "
       "parameters"},
      {&settingsCopy_.userName,
       "You must fill in a user name in \"Configure\" before setting scheduler parameters"},
      {&settingsCopy_.password,
       "You must fill in a password in \"Configure\" before setting scheduler parameters"}};
  for (const auto& [value, text] : needed) {
    if (value->empty()) {
      doc_.prompt().ShowMessage(text, kCaption, Icon::Warning, Owner::MainWindow);
      return;
    }
  }

  const int lock = AcquireScheduleLock(doc_);
  if (lock == -1) {
    doc_.Log(kLogWarning, "Schedule dialog not available due to schedule file lock");
    doc_.prompt().ShowMessage(
        "The schedule file is in use by another thread (Most probably an scheduled backup\nTry "
        "again when the backup is complete\nIf the problem persists contact the administrator",
        kCaption, Icon::Warning, Owner::MainWindow);
    return;
  }
  CScheduleDlg dialog(LoadScheduleFile(doc_.installDirectory), doc_.prompt(), this);
  SetBoxOwner(Owner::ScheduleDialog, &dialog);
  if (dialog.exec() == QDialog::Accepted &&
      !WriteScheduleFile(doc_.installDirectory, dialog.settings())) {
    doc_.Log(kLogError, "Error on writing the schedule file, the scheduler will not run");
    doc_.prompt().ShowMessage("Error on writing the schedule file, the scheduler will not run",
                              kCaption, Icon::Error, Owner::MainWindow);
  }
  ReleaseScheduleLock(doc_, lock);
}

void CMainFrame::ScheduleCheck() {
  if (!scheduleCheck_) {
    automaticBackup_ = std::make_unique<CAutomaticBackup>(doc_, *session_);
    scheduleCheck_ = std::make_unique<CScheduleCheck>(
        doc_, [this](const std::string& path) { automaticBackup_->StartAutomaticBackup(path); });
  }
  scheduleCheck_->Check();
}

}  // namespace arkvale
