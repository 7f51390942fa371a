#pragma once
// A Prompt that records every box and answers questions from a queue (default: Yes).
#include <deque>
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

 private:
  mutable std::mutex mutex_;
  std::vector<ShownBox> boxes_;
  std::deque<bool> answers_;
};

}  // namespace arkvale::test
