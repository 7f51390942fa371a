#pragma once
// The main window's Save Backup Set and Load Backup Set commands: the file dialogs, and on a load
// the reset of the drive tree around the reading of the set.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/selection/BackupSetFile.h"

class QFileDialog;
class QWidget;

namespace arkvale {

class CDriveView;
class CSelection;
class Prompt;

// How the file dialog of a command is set up.
struct BackupSetDialogSetup {
  QString title;
  bool forSaving = false;
};
std::unique_ptr<QFileDialog> MakeBackupSetDialog(const BackupSetDialogSetup& setup,
                                                 QWidget* parent);

class CBackupSetCommands {
 public:
  // Shows the dialog and returns the host path picked, or nullopt when the user cancels.
  using FileChooser = std::function<std::optional<std::string>(const BackupSetDialogSetup&)>;

  // The file dialogs open over dialogParent.
  CBackupSetCommands(CSelection& selection, CDriveView& tree, Prompt& prompt, LogWriter log,
                     QWidget* dialogParent);

  // Tests answer the dialogs themselves.
  void SetFileChooser(FileChooser chooser) { chooseFile = std::move(chooser); }

  void SaveBackupSet();
  void LoadBackupSet();

 private:
  // The Windows path of the host file picked; reports the failure in the command's words.
  std::optional<std::string> WindowsPathOf(const std::string& hostPath, const char* purpose);

  CSelection& selection;
  CDriveView& tree;
  Prompt& prompt;
  LogWriter log;
  FileChooser chooseFile;
};

}  // namespace arkvale
