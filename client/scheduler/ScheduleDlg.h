#pragma once
// The Schedule Backups dialog (modal): when and what the automatic backup backs up. It edits a
// copy of the settings; the Schedule command reads and writes the file around it.
#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "client/scheduler/ScheduleFile.h"

namespace Ui {
class ScheduleDlg;
}

namespace arkvale {

class Prompt;

inline constexpr const char* kUnknownRadioText = "Unknown radio control button index";

class CScheduleDlg : public QDialog {
  Q_OBJECT
 public:
  // Shows the host path of the backup set file picked, or nullopt for Cancel.
  using FileChooser = std::function<std::optional<std::string>()>;

  CScheduleDlg(const ScheduleSettings& settings, Prompt& prompt, QWidget* parent = nullptr);
  ~CScheduleDlg() override;

  // The settings as the controls hold them.
  ScheduleSettings settings() const;

  // Tests answer the file dialog themselves.
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  void OnBrowse();
  // Checks the values and closes with OK unless the user wants to go on editing.
  void accept() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowControls(const ScheduleSettings& settings);
  // Shows the controls of a frequency; an unknown one leaves them all visible.
  void ShowLayout(int frequency);

  // The edit shows the set with host characters; this is the form the schedule keeps.
  void ShowBackupSet(const std::string& path);
  std::string BackupSet() const;

  Prompt& prompt_;
  std::unique_ptr<Ui::ScheduleDlg> ui_;
  FileChooser chooseFile_;
  std::string backupSetPath_;
  int initialFrequency_;
  bool unknownReported_ = false;
};

}  // namespace arkvale
