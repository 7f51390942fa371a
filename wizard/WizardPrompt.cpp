#include "wizard/WizardPrompt.h"

#include <QMessageBox>

namespace arkvale {

namespace {

QMessageBox::Icon BoxIcon(Icon icon) {
  switch (icon) {
    case Icon::Information:
      return QMessageBox::Information;
    case Icon::Warning:
      return QMessageBox::Warning;
    case Icon::Error:
      return QMessageBox::Critical;
    case Icon::Question:
      return QMessageBox::Question;
    case Icon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

bool RunBox(QWidget* owner, const std::string& text, const std::string& caption, Icon icon,
            bool question) {
  QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner);
  box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace

void CWizardPrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                                Owner) {
  RunBox(owner_, text, caption, icon, false);
}

bool CWizardPrompt::AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                             Owner) {
  return RunBox(owner_, text, caption, icon, true);
}

}  // namespace arkvale
