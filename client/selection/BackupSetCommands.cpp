#include "client/selection/BackupSetCommands.h"

#include <QFileDialog>

#include "client/selection/DriveView.h"
#include "client/selection/Selection.h"
#include "client/settings/Prompt.h"
#include "platform/Paths.h"

namespace arkvale {

namespace {

constexpr const char* kNoRootItem = "GetRootItem FAILED";

}  // namespace

std::unique_ptr<QFileDialog> MakeBackupSetDialog(const BackupSetDialogSetup& setup,
                                                 QWidget* parent) {
  auto dialog = std::make_unique<QFileDialog>(parent, setup.title);
  dialog->setNameFilters({"Backup file lists (*.bak)", "All Files (*)"});
  dialog->setDefaultSuffix("bak");
  if (setup.forSaving) {
    // Qt's dialog asks before it overwrites a file.
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
  } else {
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(QFileDialog::ExistingFile);
  }
  return dialog;
}

CBackupSetCommands::CBackupSetCommands(CSelection& selection, CDriveView& tree, Prompt& prompt,
                                       LogWriter log, QWidget* dialogParent)
    : selection(selection), tree(tree), prompt(prompt), log(std::move(log)) {
  chooseFile = [dialogParent](const BackupSetDialogSetup& setup) -> std::optional<std::string> {
    auto dialog = MakeBackupSetDialog(setup, dialogParent);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return dialog->selectedFiles().first().toStdString();
  };
}

std::optional<std::string> CBackupSetCommands::WindowsPathOf(const std::string& hostPath,
                                                             const char* purpose) {
  if (auto windowsPath = plat::FromHostPath(hostPath)) return windowsPath;
  // A place no drive of the table reaches: the file cannot be named, so it cannot be opened.
  std::string text = "Error opening " + hostPath + " for " + purpose;
  log(2, text);
  prompt.ShowMessage(text, kCaption, Icon::Error, Owner::MainWindow);
  return std::nullopt;
}

void CBackupSetCommands::SaveBackupSet() {
  if (ReportNothingChosen(selection, prompt, Owner::MainWindow)) return;
  auto hostPath = chooseFile({"Save a backup file list", true});
  if (!hostPath) return;
  auto path = WindowsPathOf(*hostPath, "writing");
  if (!path) return;
  arkvale::SaveBackupSet(selection, *path, prompt, log);
}

void CBackupSetCommands::LoadBackupSet() {
  auto hostPath = chooseFile({"Load a backup file list", false});
  if (!hostPath) return;
  auto path = WindowsPathOf(*hostPath, "reading");
  if (!path) return;
  auto resetTree = [this] {
    if (!tree.ResetMarks()) {
      prompt.ShowMessage(kNoRootItem, kApplicationTitle, Icon::None, Owner::MainWindow);
    }
  };
  LoadOutcome outcome = arkvale::LoadBackupSet(selection, *path, prompt, log, resetTree);
  if (outcome != LoadOutcome::Loaded) return;
  // Tree items show the loaded choices when they are expanded again.
  if (!tree.CollapseAllButFirst()) {
    prompt.ShowMessage(kNoRootItem, kApplicationTitle, Icon::None, Owner::MainWindow);
  }
}

}  // namespace arkvale
