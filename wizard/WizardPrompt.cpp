#include "wizard/WizardPrompt.h"

#include <QMessageBox>

#include "widgets/MessageBoxIcon.h"

namespace arkvale {

namespace {

bool RunBox(QWidget* owner, const std::string& text, const std::string& caption, Icon icon,
            bool question) {
  QMessageBox box(MessageBoxIcon(icon), QString::fromStdString(caption),
                  QString::fromStdString(text),
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
