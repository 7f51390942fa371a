#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "client/session/LoginDlg.h"

namespace arkvale {
namespace {

QLineEdit* Edit(QWidget* dialog, int id) {
  return dialog->findChild<QLineEdit*>(QString::number(id));
}

// Acts on the login dialog once it is up and modal.
void WhenDialogOpens(const std::function<void(CLoginDlg*)>& act) {
  QTimer::singleShot(0, [act] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* dialog = qobject_cast<CLoginDlg*>(w); dialog && dialog->isVisible()) act(dialog);
    }
  });
}

class LoginDialog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "login_dialog_test";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) app_ = new QApplication(argc, argv);
  }
  static inline QApplication* app_ = nullptr;
};

TEST_F(LoginDialog, HasItsTitleLabelsAndMaskedPasswordFilledFromSettings) {
  CLoginDlg dialog("ann", "secret");
  EXPECT_EQ(dialog.windowTitle(), "Dialog");
  QStringList labels;
  for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("user"));
  EXPECT_TRUE(labels.contains("password"));
  ASSERT_NE(Edit(&dialog, 1000), nullptr);
  ASSERT_NE(Edit(&dialog, 1001), nullptr);
  EXPECT_EQ(Edit(&dialog, 1000)->text(), "ann");
  EXPECT_EQ(Edit(&dialog, 1001)->text(), "secret");
  EXPECT_EQ(Edit(&dialog, 1000)->echoMode(), QLineEdit::Normal);
  EXPECT_EQ(Edit(&dialog, 1001)->echoMode(), QLineEdit::Password);
  auto* buttons = dialog.findChild<QDialogButtonBox*>();
  ASSERT_NE(buttons, nullptr);
  EXPECT_NE(buttons->button(QDialogButtonBox::Ok), nullptr);
  EXPECT_NE(buttons->button(QDialogButtonBox::Cancel), nullptr);
}

TEST_F(LoginDialog, OkReturnsWhatWasTypedAndCancelReturnsNothing) {
  WhenDialogOpens([](CLoginDlg* dialog) {
    Edit(dialog, 1000)->setText("bob");
    Edit(dialog, 1001)->setText("typed pass");
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  });
  std::optional<LoginCredentials> typed = RunLoginDialog(nullptr, "ann", "secret");
  ASSERT_TRUE(typed);
  EXPECT_EQ(typed->user, "bob");
  EXPECT_EQ(typed->password, "typed pass");

  WhenDialogOpens([](CLoginDlg* dialog) {
    Edit(dialog, 1000)->setText("bob");
    dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click();
  });
  EXPECT_FALSE(RunLoginDialog(nullptr, "ann", "secret"));
}

}  // namespace
}  // namespace arkvale
