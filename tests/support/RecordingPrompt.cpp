#include "tests/support/RecordingPrompt.h"

namespace arkvale::test {

void RecordingPrompt::ShowMessage(const std::string& text, const std::string& caption, Icon icon,
                                  Owner owner) {
  {
    std::lock_guard lock(mutex_);
    boxes_.push_back({text, caption, icon, owner, false});
  }
  if (onShow) onShow(text);
}

bool RecordingPrompt::AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                               Owner owner) {
  std::lock_guard lock(mutex_);
  boxes_.push_back({text, caption, icon, owner, true});
  if (answers_.empty()) return true;
  bool answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingPrompt::QueueAnswer(bool yes) {
  std::lock_guard lock(mutex_);
  answers_.push_back(yes);
}

std::vector<ShownBox> RecordingPrompt::boxes() const {
  std::lock_guard lock(mutex_);
  return boxes_;
}

std::vector<std::string> RecordingPrompt::texts() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto& b : boxes_) out.push_back(b.text);
  return out;
}

}  // namespace arkvale::test
