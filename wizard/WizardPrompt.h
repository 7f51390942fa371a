#pragma once
// The wizard's message boxes: every box is owned by the welcome window (one thread, no workers).
#include <QPointer>
#include <QWidget>

#include "client/settings/Prompt.h"

namespace arkvale {

class CWizardPrompt : public Prompt {
 public:
  void SetOwnerWindow(QWidget* window) { owner_ = window; }

  void ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                   Owner owner) override;
  bool AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                Owner owner) override;

 private:
  QPointer<QWidget> owner_;
};

}  // namespace arkvale
