#pragma once
// A Prompt that records every box and answers questions from a queue (default: Yes).
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "client/settings/Prompt.h"

namespace arkvale::test {

struct ShownBox {
  std::string text;
  std::string caption;
  Icon icon;
  Owner owner;
  bool question;
};

class RecordingPrompt : public Prompt {
 public:
  void ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                   Owner owner) override;
  bool AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                Owner owner) override;

  void QueueAnswer(bool yes);
  std::vector<ShownBox> boxes() const;
  std::vector<std::string> texts() const;

  // Runs while a box is "open" (after it is recorded), as the event loop of a real box would.
  std::function<void(const std::string& text)> onShow;

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::deque<bool> answers_;
};

}  // namespace arkvale::test
