#include "client/shell/GuiPrompt.h"

#include <QMessageBox>
#include <QThread>

#include "platform/WindowsNames.h"
#include "widgets/MessageBoxIcon.h"

namespace arkvale {

CGuiPrompt::CGuiPrompt(QObject* parent) : QObject(parent) {}

void CGuiPrompt::SetOwner(Owner owner, QWidget* window) {
  std::lock_guard lock(mutex_);
  owners_[owner] = window;
}

QWidget* CGuiPrompt::OwnerWindow(Owner owner) {
  std::lock_guard lock(mutex_);
  auto it = owners_.find(owner);
  return it == owners_.end() ? nullptr : it->second.data();
}

void CGuiPrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                             Owner owner) {
  RunBox(text, caption, icon, owner, Kind::Message);
}

bool CGuiPrompt::AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                          Owner owner) {
  return RunBox(text, caption, icon, owner, Kind::Question);
}

bool CGuiPrompt::AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon,
                                   Owner owner) {
  return RunBox(text, caption, icon, owner, Kind::QuestionDefaultNo);
}

bool CGuiPrompt::RunBox(const std::string& text, const std::string& caption, Icon icon, Owner owner,
                        Kind kind) {
  if (QThread::currentThread() != thread()) {
    bool answer = false;
    QMetaObject::invokeMethod(
        this, [&] { answer = RunBox(text, caption, icon, owner, kind); },
        Qt::BlockingQueuedConnection);
    return answer;
  }
  // A box of a worker thread has no owner; one of a window whose owner has gone shows alone.
  QWidget* parent = owner == Owner::None ? nullptr : OwnerWindow(owner);
  const std::string title = caption.empty() ? kApplicationTitle : caption;
  const bool question = kind != Kind::Message;
  // Paths in a box name files as the host does ("10:30", not the private-use form they travel in).
  QMessageBox box(MessageBoxIcon(icon), QString::fromStdString(title),
                  QString::fromStdString(plat::HostNameOf(text)),
                  question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent);
  if (kind == Kind::QuestionDefaultNo) box.setDefaultButton(QMessageBox::No);
  box.setObjectName(QStringLiteral("messageBox"));
  // Messages carry file names, server replies and log lines: never read them as markup.
  box.setTextFormat(Qt::PlainText);
  if (parent == nullptr) {
    box.setWindowModality(Qt::ApplicationModal);
    // With the main window hidden behind its notification icon this box is the last window on
    // the screen; closing it must not end the program.
    box.setAttribute(Qt::WA_QuitOnClose, false);
  }
  return box.exec() == QMessageBox::Yes;
}

}  // namespace arkvale
