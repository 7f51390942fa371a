#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>

#include "client/settings/InstallPaths.h"
#include "platform/SingleInstance.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"
#include "wizard/Pages.h"
#include "wizard/WizardDlg.h"
#include "wizard/resources/WizardIds.h"

namespace arkvale {
namespace {

namespace ids = wizard_ids;
using test::TempWorld;

// Acts on each modal window of the wizard as it comes up, one step per window, in order.
class Driver : public QObject {
 public:
  using Step = std::function<void(QDialog*)>;
  explicit Driver(std::deque<Step> steps) : steps_(std::move(steps)) {
    connect(&timer_, &QTimer::timeout, this, &Driver::Poll);
    timer_.start(10);
  }
  bool done() const { return steps_.empty(); }

 private:
  void Poll() {
    auto* window = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (window == nullptr || window->property("driven").toBool()) return;
    window->setProperty("driven", true);
    if (steps_.empty()) {
      ADD_FAILURE() << "unexpected window " << window->objectName().toStdString();
      window->done(qobject_cast<CWizardDlg*>(window) ? CWizardDlg::kQuit : CWizardPage::kQuit);
      return;
    }
    // Apart from this timer, whose ticks would wait for a page that the step runs modally.
    QTimer::singleShot(0, window, [window, step = std::move(steps_.front())] { step(window); });
    steps_.pop_front();
  }

  std::deque<Step> steps_;
  QTimer timer_;
};

QLineEdit* Edit(QDialog* page, int id) { return page->findChild<QLineEdit*>(ids::IdName(id)); }
QCheckBox* Check(QDialog* page, int id) { return page->findChild<QCheckBox*>(ids::IdName(id)); }
void Click(QDialog* page, int id) { page->findChild<QPushButton*>(ids::IdName(id))->click(); }
Driver::Step Next() {
  return [](QDialog* page) { Click(page, ids::kIdOk); };
}

class WizardDlgTest : public ::testing::Test {
 protected:
  WizardDlgTest() {
    test::GuiApplication();
    std::filesystem::create_directories(installHost());
  }
  std::string installHost() const { return world.driveC() + "/Program Files/Arkvale"; }
  std::string configHost() const { return installHost() + "/config_file"; }

  int Run(std::deque<Driver::Step> steps) {
    Driver driver(std::move(steps));
    CWizardDlg wizard(kInstallDirectory, prompt, [this] { ++arkvaleStarts; });
    const int result = wizard.exec();
    EXPECT_TRUE(driver.done());
    return result;
  }

  TempWorld world;
  test::RecordingPrompt prompt;
  int arkvaleStarts = 0;
};

TEST_F(WizardDlgTest, APersonFillsInTheFivePagesAndStartsArkvale) {
  const int result = Run({
      [](QDialog* welcome) {
        EXPECT_EQ(welcome->windowTitle(), "Arkvale Configuration Wizard");
        EXPECT_FALSE(welcome->findChild<QPushButton*>(ids::IdName(ids::kIdOk))->isVisible());
        Click(welcome, ids::kNext);
      },
      [](QDialog* user) {
        EXPECT_EQ(user->objectName(), ids::IdName(ids::kUserPage));
        EXPECT_EQ(user->findChild<QPushButton*>(ids::IdName(ids::kBack)), nullptr);
        EXPECT_EQ(Edit(user, ids::kUserName)->accessibleName(), "User name:");
        EXPECT_EQ(Edit(user, ids::kConfirmPassword)->accessibleName(), "Confirm password:");
        EXPECT_EQ(Edit(user, ids::kPassword)->echoMode(), QLineEdit::Password);
        Edit(user, ids::kUserName)->setText("ann");
        Edit(user, ids::kPassword)->setText("abc12");
        Edit(user, ids::kConfirmPassword)->setText("abc12");
        Click(user, ids::kIdOk);
      },
      [](QDialog* user) {
        // Shown again: the name as typed, the refused password gone.
        EXPECT_EQ(Edit(user, ids::kUserName)->text(), "ann");
        EXPECT_EQ(Edit(user, ids::kPassword)->text(), "");
        Edit(user, ids::kPassword)->setText("abc123");
        Edit(user, ids::kConfirmPassword)->setText("abc123");
        Click(user, ids::kIdOk);
      },
      [](QDialog* server) {
        EXPECT_EQ(Edit(server, ids::kServerName)->accessibleName(), "Server Name:");
        Edit(server, ids::kServerName)->setText("server3");
        Click(server, ids::kIdOk);
      },
      [](QDialog* key) {
        EXPECT_EQ(Edit(key, ids::kEncryptionKey)->echoMode(), QLineEdit::Normal);
        Edit(key, ids::kEncryptionKey)->setText("my key, with: punctuation!");
        Click(key, ids::kIdOk);
      },
      [](QDialog* startup) {
        for (int id : {ids::kRunOnStartup, ids::kRunMinimized, ids::kMinimizeToTaskBar})
          EXPECT_FALSE(Check(startup, id)->isChecked()) << id;
        EXPECT_EQ(Check(startup, ids::kMinimizeToTray)->accessibleName(),
                  "Minimize to System Tray");
        Check(startup, ids::kMinimizeToTray)->setChecked(true);
        Click(startup, ids::kIdOk);
      },
      [](QDialog* summary) {
        EXPECT_EQ(Edit(summary, ids::kUserName)->text(), "ann");
        EXPECT_EQ(Edit(summary, ids::kSummaryPassword)->echoMode(), QLineEdit::Password);
        EXPECT_EQ(Edit(summary, ids::kSummaryPassword)->text(), "abc123");
        EXPECT_EQ(Edit(summary, ids::kSummaryPassword)->accessibleName(), "Password:");
        EXPECT_EQ(Edit(summary, ids::kSummaryRunAtStartup)->text(), "no");
        EXPECT_EQ(Edit(summary, ids::kSummaryTrayIcon)->text(), "yes");
        EXPECT_TRUE(Edit(summary, ids::kEncryptionKey)->isReadOnly());
        EXPECT_FALSE(Check(summary, ids::kRunArkvaleNow)->isChecked());
        Check(summary, ids::kRunArkvaleNow)->setChecked(true);
        Click(summary, ids::kIdOk);
      },
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()),
            "ann\nabc123\nmy key, with: punctuation!\nserver3\n5\n1\n0\n0\n");
  EXPECT_EQ(arkvaleStarts, 1);
  EXPECT_EQ(prompt.texts(),
            std::vector<std::string>{"Password entered was less than 6 characters in length"});
}

TEST_F(WizardDlgTest, RunArkvaleNowLeavesItToTheArkvaleAlreadyRunning) {
  // The arkvale that started the wizard at first start holds its instance lock while it waits.
  plat::InstanceLock arkvale;
  ASSERT_EQ(arkvale.TryAcquire(plat::kArkvaleInstanceName), plat::InstanceLock::Result::Acquired);
  TempWorld::WriteHostFile(configHost(), "ann\nabc123\nkey\nvault\n5\n1\n0\n0\n");
  const int result = Run({
      [](QDialog* welcome) { Click(welcome, ids::kNext); },
      Next(),
      Next(),
      Next(),
      Next(),
      [](QDialog* summary) {
        Check(summary, ids::kRunArkvaleNow)->setChecked(true);
        Click(summary, ids::kIdOk);
      },
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(arkvaleStarts, 0);
}

TEST_F(WizardDlgTest, QuitOnTheSummaryPageLeavesTheFileAndEndsWithOne) {
  const std::string before = "ann\nabc123\nkey\nvault\n12\n1\n0\n1\n";
  TempWorld::WriteHostFile(configHost(), before);
  prompt.QueueAnswer(false);
  prompt.QueueAnswer(true);
  const int result = Run({
      [](QDialog* welcome) { Click(welcome, ids::kNext); },
      Next(),
      Next(),
      [](QDialog* key) {
        EXPECT_EQ(Edit(key, ids::kEncryptionKey)->text(), "key");
        Click(key, ids::kIdOk);
      },
      [](QDialog* startup) {
        EXPECT_TRUE(Check(startup, ids::kRunOnStartup)->isChecked());
        EXPECT_TRUE(Check(startup, ids::kMinimizeToTray)->isChecked());
        Click(startup, ids::kIdOk);
      },
      [](QDialog* summary) {
        Click(summary, ids::kIdCancel);  // answered No: the page stays
        EXPECT_TRUE(summary->isVisible());
        Click(summary, ids::kIdCancel);  // answered Yes
      },
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(TempWorld::ReadHostFile(configHost()), before);
  EXPECT_EQ(arkvaleStarts, 0);
  ASSERT_EQ(prompt.boxes().size(), 2u);
  EXPECT_EQ(prompt.boxes()[1].caption, "Really cancel");
}

TEST_F(WizardDlgTest, WelcomeAsksBeforeEndingAndEnterMeansNext) {
  prompt.QueueAnswer(false);
  const int result = Run({
      [](QDialog* welcome) {
        auto* wizard = qobject_cast<CWizardDlg*>(welcome);
        ASSERT_NE(wizard, nullptr);
        EXPECT_EQ(wizard->systemMenu()->actions().last()->text(), "&About setwell...");
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(welcome, &escape);
        EXPECT_TRUE(welcome->isVisible());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(welcome, &enter);
      },
      [](QDialog* user) {
        EXPECT_EQ(user->objectName(), ids::IdName(ids::kUserPage));
        Click(user, ids::kIdCancel);
      },
  });
  EXPECT_EQ(result, 1);
  EXPECT_FALSE(std::filesystem::exists(configHost()));
  ASSERT_EQ(prompt.boxes().size(), 2u);
  EXPECT_EQ(prompt.boxes()[0].caption, "Really Exit");
  EXPECT_EQ(prompt.boxes()[0].text,
            "This will exit the Configuration Wizard\nIf you exit now there will be no "
            "modifications made\nAre you sure?");
  EXPECT_EQ(prompt.boxes()[1].text,
            "Your changes have not been save\nIf you cancel now you will lose your "
            "changes\nAre you sure?");
}

}  // namespace
}  // namespace arkvale
