#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "client/shell/GuiPrompt.h"
#include "tests/support/GuiTest.h"

namespace arkvale {
namespace {

class GuiPromptTest : public ::testing::Test {
 protected:
  QApplication& app = test::GuiApplication();
  CGuiPrompt prompt;
  test::BoxAnswerer answerer;
};

TEST_F(GuiPromptTest, AWorkerWaitsForTheAnswerOnTheInterfaceThread) {
  std::atomic<bool> done{false};
  bool answer = true;
  answerer.QueueAnswer(QMessageBox::No);
  std::thread worker([&] {
    answer = prompt.AskYesNo("Overwrite?", "Arkvale", Icon::Question, Owner::None);
    prompt.ShowMessage("File transfer failed check your quota", "Arkvale", Icon::Error,
                       Owner::None);
    done = true;
  });
  ASSERT_TRUE(test::WaitFor([&] { return done.load(); }, 10000));
  worker.join();
  EXPECT_FALSE(answer);
  ASSERT_EQ(answerer.seen().size(), 2u);
  EXPECT_EQ(answerer.seen()[0].text, "Overwrite?");
  EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Question);
  EXPECT_EQ(answerer.seen()[1].title, "Arkvale");
  EXPECT_EQ(answerer.seen()[1].icon, QMessageBox::Critical);
  // Boxes of worker threads have no owner.
  EXPECT_FALSE(answerer.seen()[1].owned);
}

TEST_F(GuiPromptTest, TextThatLooksLikeMarkupIsShownAsWritten) {
  // A log message or a file name may hold anything, tags included.
  prompt.ShowMessage("Backed up Z:\\home\\ann\\<b>notes</b>.txt", "Log message", Icon::None,
                     Owner::None);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].format, Qt::PlainText);
}

TEST_F(GuiPromptTest, BoxesOfAWindowAreOwnedByItUntilItGoes) {
  auto* window = new QWidget;
  window->show();
  prompt.SetOwner(Owner::BackupDialog, window);
  EXPECT_TRUE(prompt.AskYesNo("Sure?", "arkvale", Icon::Warning, Owner::BackupDialog));
  prompt.ShowMessage("Please connect", "arkvale", Icon::None, Owner::MainWindow);
  delete window;
  prompt.ShowMessage("Backup operation still in progress", "arkvale", Icon::Information,
                     Owner::BackupDialog);
  ASSERT_EQ(answerer.seen().size(), 3u);
  EXPECT_TRUE(answerer.seen()[0].owned);
  EXPECT_EQ(answerer.seen()[0].icon, QMessageBox::Warning);
  EXPECT_FALSE(answerer.seen()[1].owned);  // no main window registered
  EXPECT_EQ(answerer.seen()[1].icon, QMessageBox::NoIcon);
  EXPECT_FALSE(answerer.seen()[2].owned);
}

TEST_F(GuiPromptTest, AnsweringABoxWhileTheWindowIsHiddenKeepsTheProgramRunning) {
  // The main window gone behind its notification icon: a box without an owner is then the only
  // window on the screen, and its OK must not end the program.
  QWidget window;
  window.show();
  window.hide();
  QTimer::singleShot(0, [&] {
    prompt.ShowMessage("Lost connection to server", "Arkvale", Icon::Error, Owner::None);
    QTimer::singleShot(100, [] { QApplication::exit(7); });
  });
  EXPECT_EQ(QApplication::exec(), 7);
  EXPECT_EQ(answerer.texts(), std::vector<std::string>{"Lost connection to server"});
}

TEST_F(GuiPromptTest, ABoxWithoutCaptionShowsTheApplicationTitle) {
  prompt.ShowMessage("Error", "", Icon::None, Owner::None);
  ASSERT_EQ(answerer.seen().size(), 1u);
  EXPECT_EQ(answerer.seen()[0].title, "arkvale");
}

TEST_F(GuiPromptTest, APathInABoxShowsTheHostsCharacters) {
  prompt.ShowMessage(
      "File not found:\nC:\\Meeting 10\xef\x80\xba"
      "30.txt",
      "Arkvale", Icon::Warning, Owner::None);
  EXPECT_EQ(answerer.texts(), std::vector<std::string>{"File not found:\nC:\\Meeting 10:30.txt"});
}

}  // namespace
}  // namespace arkvale

namespace arkvale {
namespace {

TEST(GuiPromptDefaultTest, EnterAnswersNoWhereNoIsTheDefault) {
  test::GuiApplication();
  CGuiPrompt prompt;
  QTimer enter;
  QObject::connect(&enter, &QTimer::timeout, [] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      QTest::keyClick(box, Qt::Key_Return);
    }
  });
  enter.start(20);
  EXPECT_TRUE(prompt.AskYesNo("Sure?", "Arkvale", Icon::Warning, Owner::None));
  EXPECT_FALSE(prompt.AskYesNoDefaultNo("Sure?", "Arkvale", Icon::Warning, Owner::None));
}

}  // namespace
}  // namespace arkvale
