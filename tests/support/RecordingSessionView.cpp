#include "tests/support/RecordingSessionView.h"

#include <utility>

namespace arkvale::test {

void RecordingSessionView::ShowConnectionButton(ConnectionButton button) {
  std::lock_guard lock(mutex_);
  buttons_.push_back(button);
}

void RecordingSessionView::ShowQuota(const std::string& used, const std::string& limit,
                                     const std::string& percent) {
  std::lock_guard lock(mutex_);
  quotas_.push_back({used, limit, percent});
}

std::optional<LoginCredentials> RecordingSessionView::RunLoginDialog(const std::string& user,
                                                                     const std::string& password) {
  std::function<void()> action;
  {
    std::lock_guard lock(mutex_);
    action = std::exchange(whileDialogOpen_, nullptr);
  }
  // Outside the lock: the action may well show buttons or quota figures itself.
  if (action) action();
  std::lock_guard lock(mutex_);
  dialogs_.push_back({user, password});
  if (answers_.empty()) return std::nullopt;
  std::optional<LoginCredentials> answer = answers_.front();
  answers_.pop_front();
  return answer;
}

void RecordingSessionView::QueueLogin(const std::string& user, const std::string& password) {
  std::lock_guard lock(mutex_);
  answers_.push_back(LoginCredentials{user, password});
}

void RecordingSessionView::QueueCancel() {
  std::lock_guard lock(mutex_);
  answers_.push_back(std::nullopt);
}

void RecordingSessionView::WhileNextDialogOpen(std::function<void()> action) {
  std::lock_guard lock(mutex_);
  whileDialogOpen_ = std::move(action);
}

std::vector<ConnectionButton> RecordingSessionView::buttons() const {
  std::lock_guard lock(mutex_);
  return buttons_;
}

std::vector<ShownQuota> RecordingSessionView::quotas() const {
  std::lock_guard lock(mutex_);
  return quotas_;
}

std::vector<LoginCredentials> RecordingSessionView::dialogs() const {
  std::lock_guard lock(mutex_);
  return dialogs_;
}

}  // namespace arkvale::test
