#pragma once
// The welcome dialog, the wizard's main window. Its "Next ..." runs the whole page sequence and
// the writing, and ends the dialog with the program's exit code: 0 after Finish, 1 after a
// confirmed quit.
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "client/settings/Prompt.h"
#include "wizard/WizardSettings.h"

class QMenu;

namespace Ui {
class WizardDlg;
}

namespace arkvale {

class CWizardDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kFinished = 0;
  static constexpr int kQuit = 1;

  // startArkvale replaces the wizard with the main program; it returns only when that failed. It is
  // not called while the main program runs already: that one takes over what was written.
  CWizardDlg(const std::string& installDirectory, Prompt& prompt,
             std::function<void()> startArkvale, QWidget* parent = nullptr);
  ~CWizardDlg() override;

  const WizardSettings& settings() const { return settings_; }
  QMenu* systemMenu() const { return systemMenu_; }

  void OnNext();
  // "Quit Wizard", Escape and the close box ask first.
  void reject() override;
  // Enter on the welcome dialog means "Next ...", never the end of the wizard.
  void accept() override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The exit code once the sequence ends.
  int RunPages();

  std::unique_ptr<Ui::WizardDlg> ui_;
  const std::string installDirectory_;
  Prompt& prompt_;
  std::function<void()> startArkvale_;
  WizardSettings settings_;
  QMenu* systemMenu_ = nullptr;
  bool running_ = false;
};

}  // namespace arkvale
