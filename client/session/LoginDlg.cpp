#include "client/session/LoginDlg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace arkvale {

CLoginDlg::CLoginDlg(const std::string& user, const std::string& password, QWidget* parent)
    : QDialog(parent),
      userEdit_(new QLineEdit(QString::fromStdString(user), this)),
      passwordEdit_(new QLineEdit(QString::fromStdString(password), this)) {
  setWindowTitle("Dialog");
  userEdit_->setObjectName(QString::number(kIdcLoginUser));
  passwordEdit_->setObjectName(QString::number(kIdcLoginPassword));
  passwordEdit_->setEchoMode(QLineEdit::Password);

  auto* fields = new QFormLayout;
  auto* userLabel = new QLabel("user", this);
  auto* passwordLabel = new QLabel("password", this);
  // Buddies give the edits their names on the accessibility bus.
  userLabel->setBuddy(userEdit_);
  passwordLabel->setBuddy(passwordEdit_);
  fields->addRow(userLabel, userEdit_);
  fields->addRow(passwordLabel, passwordEdit_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(fields);
  layout->addWidget(buttons);
}

std::string CLoginDlg::user() const { return userEdit_->text().toStdString(); }

std::string CLoginDlg::password() const { return passwordEdit_->text().toStdString(); }

std::optional<LoginCredentials> RunLoginDialog(QWidget* parent, const std::string& user,
                                               const std::string& password) {
  CLoginDlg dialog(user, password, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return LoginCredentials{dialog.user(), dialog.password()};
}

}  // namespace arkvale
