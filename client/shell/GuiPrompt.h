#pragma once
// The prompt of the main program: message boxes with their captions, icons and owner windows.
// A call from a worker thread is carried to the user-interface thread and blocks the worker
// until the user has answered, as a box without an owner does on a worker thread.
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <map>
#include <mutex>

#include "client/settings/Prompt.h"

namespace arkvale {

class CGuiPrompt : public QObject, public Prompt {
  Q_OBJECT
 public:
  // Lives on the thread that creates it, which must be the user-interface thread.
  explicit CGuiPrompt(QObject* parent = nullptr);

  // The window that owns the boxes of owner; a window that goes away stops owning them.
  void SetOwner(Owner owner, QWidget* window);

  void ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                   Owner owner) override;
  bool AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                Owner owner) override;
  bool AskYesNoDefaultNo(const std::string& text, const std::string& caption, Icon icon,
                         Owner owner) override;

 private:
  enum class Kind { Message, Question, QuestionDefaultNo };
  bool RunBox(const std::string& text, const std::string& caption, Icon icon, Owner owner,
              Kind kind);
  QWidget* OwnerWindow(Owner owner);

  std::mutex mutex_;
  std::map<Owner, QPointer<QWidget>> owners_;
};

}  // namespace arkvale
