#pragma once
// The login dialog of the Connect command: user name and password, filled from the settings each
// time it opens; what the user types is used for one attempt only.
#include <QDialog>
#include <optional>
#include <string>

#include "client/session/SessionView.h"

class QLineEdit;

namespace arkvale {

// Control ids, used as the edits' object names.
inline constexpr int kIdcLoginUser = 1000;
inline constexpr int kIdcLoginPassword = 1001;

class CLoginDlg : public QDialog {
  Q_OBJECT

 public:
  CLoginDlg(const std::string& user, const std::string& password, QWidget* parent = nullptr);

  std::string user() const;
  std::string password() const;

 private:
  QLineEdit* userEdit_;
  QLineEdit* passwordEdit_;
};

// Runs the dialog modally; the typed pair after OK, nullopt after Cancel.
std::optional<LoginCredentials> RunLoginDialog(QWidget* parent, const std::string& user,
                                               const std::string& password);

}  // namespace arkvale
