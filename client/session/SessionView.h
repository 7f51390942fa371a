#pragma once
// What the session needs from the main window: the three connection buttons, the quota panes of
// the status bar and the login dialog. The main window implements it; tests fake it.
#include <optional>
#include <string>

namespace arkvale {

// Exactly one of the three stacked buttons is visible; showing one hides the other two.
enum class ConnectionButton { Connect, Connecting, Disconnect };

struct LoginCredentials {
  std::string user;
  std::string password;
};

class SessionView {
 public:
  virtual ~SessionView() = default;
  // May be called from worker threads (automatic connection inside an automatic backup run).
  virtual void ShowConnectionButton(ConnectionButton button) = 0;
  // Status-bar panes 2 (used), 4 (limit) and 6 (percent), repainted at once. May be called from
  // worker threads (the quota refresh that ends a backup or delete run).
  virtual void ShowQuota(const std::string& used, const std::string& limit,
                         const std::string& percent) = 0;
  // The modal login dialog, filled with user and password; what the user typed, or nullopt for
  // Cancel. Called on the user-interface thread only (the Connect command).
  virtual std::optional<LoginCredentials> RunLoginDialog(const std::string& user,
                                                         const std::string& password) = 0;
};

}  // namespace arkvale
