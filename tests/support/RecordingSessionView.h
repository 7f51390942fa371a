#pragma once
// A SessionView that records the connection buttons and quota panes and answers the login dialog
// from a queue (an empty queue answers Cancel).
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "client/session/SessionView.h"

namespace arkvale::test {

struct ShownQuota {
  std::string used;
  std::string limit;
  std::string percent;
};

class RecordingSessionView : public SessionView {
 public:
  void ShowConnectionButton(ConnectionButton button) override;
  void ShowQuota(const std::string& used, const std::string& limit,
                 const std::string& percent) override;
  std::optional<LoginCredentials> RunLoginDialog(const std::string& user,
                                                 const std::string& password) override;

  void QueueLogin(const std::string& user, const std::string& password);
  void QueueCancel();
  // Runs once while the next dialog is open, as a timer that fires during the modal dialog does.
  void WhileNextDialogOpen(std::function<void()> action);

  std::vector<ConnectionButton> buttons() const;
  std::vector<ShownQuota> quotas() const;
  // The user and password each dialog was filled with.
  std::vector<LoginCredentials> dialogs() const;

 private:
  mutable std::mutex mutex_;
  std::vector<ConnectionButton> buttons_;
  std::vector<ShownQuota> quotas_;
  std::vector<LoginCredentials> dialogs_;
  std::deque<std::optional<LoginCredentials>> answers_;
  std::function<void()> whileDialogOpen_;
};

}  // namespace arkvale::test
