#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QTextDocumentFragment>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/LogViewerDlg.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

constexpr std::time_t kNow = 1080659240;

class LogViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { log.Open(kInstallDirectory, w.prompt); }
  void Open(bool wait = true) {
    dialog = new LogViewerDialog(log, w.prompt);
    dialog->show();
    dialog->Fill();
    if (wait) WaitFilled(*dialog);
  }
  static void WaitFilled(LogViewerDialog& viewer) {
    ASSERT_TRUE(test::WaitFor([&] { return !viewer.Filling(); }, 60000));
  }
  void TearDown() override { delete dialog.data(); }
  QTableView* list() const { return dialog->findChild<QTableView*>(ids::IdName(ids::kLogList)); }
  std::string Cell(int row, int column) const {
    return dialog->model().index(row, column).data().toString().toStdString();
  }
  void ClickCell(int row, int column) {
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                      list()->visualRect(dialog->model().index(row, column)).center());
  }

  test::ShellWorld w;
  EventLog log{[] { return kNow; }};
  QPointer<LogViewerDialog> dialog;
};

TEST_F(LogViewerTest, AToolTipShowsTheMessageAsWritten) {
  const std::string message = "Cannot open Z:\\home\\ann\\<b>notes</b>.txt";
  log.Write(2, message);
  Open();
  const QString tip = dialog->model().index(0, 2).data(Qt::ToolTipRole).toString();
  // A tool tip that looks like markup is shown as markup.
  const QString shown =
      Qt::mightBeRichText(tip) ? QTextDocumentFragment::fromHtml(tip).toPlainText() : tip;
  EXPECT_EQ(shown.toStdString(), message);
}

TEST_F(LogViewerTest, RefreshAppliesTheBoxesAndAClickOnATimeShowsTheMessage) {
  log.Write(0, "Connected to server");
  log.Write(1, "Failed to get lock during connect request");
  log.Write(2, "Lost connection to server");
  Open();
  ASSERT_EQ(dialog->model().rowCount(), 3);
  EXPECT_EQ(Cell(0, 0), EventLog::TimeText(kNow));
  EXPECT_EQ(Cell(0, 1), "0");
  EXPECT_EQ(Cell(0, 2), "Connected to server");

  dialog->findChild<QCheckBox*>(ids::IdName(ids::kShowLevel0))->setChecked(false);
  log.Write(0, "Disconnected from backup server");
  log.Write(2, "Error on connect");
  EXPECT_EQ(dialog->model().rowCount(), 3);  // the boxes count from the next refresh
  dialog->findChild<QPushButton*>(ids::IdName(ids::kRefreshLogs))->click();
  WaitFilled(*dialog);
  ASSERT_EQ(dialog->model().rowCount(), 3);
  EXPECT_EQ(Cell(0, 2), "Failed to get lock during connect request");
  EXPECT_EQ(Cell(2, 2), "Error on connect");

  ClickCell(0, 2);
  EXPECT_TRUE(w.prompt.boxes().empty());
  ClickCell(1, 0);
  ASSERT_EQ(w.prompt.boxes().size(), 1u);
  const test::ShownBox box = w.prompt.boxes()[0];
  EXPECT_EQ(box.text, "Lost connection to server");
  EXPECT_EQ(box.caption, "Log message");
  EXPECT_EQ(box.icon, Icon::None);
  EXPECT_EQ(box.owner, Owner::LogViewer);
  // Enter does the same for the row that has the focus.
  QTest::keyClick(list(), Qt::Key_Return);
  ASSERT_EQ(w.prompt.boxes().size(), 2u);
  EXPECT_EQ(w.prompt.boxes()[1].text, "Lost connection to server");
}

TEST_F(LogViewerTest, PathsInMessagesShowTheHostsCharacters) {
  log.Write(0,
            "File: C:\\Meeting 10\xef\x80\xba"
            "30.txt   size=4");
  Open();
  EXPECT_EQ(Cell(0, 2), "File: C:\\Meeting 10:30.txt   size=4");
}

TEST_F(LogViewerTest, AnEmptyLogListsNothingAndAMissingLogSaysSo) {
  Open();
  EXPECT_EQ(dialog->model().rowCount(), 0);
  EXPECT_TRUE(w.prompt.boxes().empty());

  EventLog unopened;
  LogViewerDialog missing(unopened, w.prompt);
  missing.Fill();
  WaitFilled(missing);
  EXPECT_EQ(missing.model().rowCount(), 0);
  ASSERT_EQ(w.prompt.boxes().size(), 1u);
  EXPECT_EQ(w.prompt.boxes()[0].text, "Cannot open the log file");
  EXPECT_EQ(w.prompt.boxes()[0].caption, "Arkvale");
  EXPECT_EQ(w.prompt.boxes()[0].icon, Icon::Warning);
}

TEST_F(LogViewerTest, ABusyYearIsReadBesideTheWindowAndOpensWithTheNewestRowInView) {
  std::string lines;
  for (int i = 0; i < 100000; ++i) lines += EventLog::FormatLine(kNow + i, i % 3, "entry", 0);
  test::TempWorld::WriteHostFile(w.installHostDir() + "/log/" + EventLog::FileNameFor(kNow), lines);
  Open(false);
  // The window answers while the rows are made; a second refresh cannot start meanwhile.
  EXPECT_EQ(dialog->model().rowCount(), 0);
  QPushButton* refresh = dialog->findChild<QPushButton*>(ids::IdName(ids::kRefreshLogs));
  EXPECT_FALSE(refresh->isEnabled());
  QSignalSpy filled(dialog.data(), &LogViewerDialog::Filled);
  WaitFilled(*dialog);
  EXPECT_EQ(filled.count(), 1);
  EXPECT_TRUE(refresh->isEnabled());
  ASSERT_EQ(dialog->model().rowCount(), 100000);
  QApplication::processEvents();
  const QModelIndex newest = dialog->model().index(99999, 0);
  EXPECT_TRUE(list()->viewport()->rect().contains(list()->visualRect(newest)));
}

TEST_F(LogViewerTest, EveryControlHasANameAndTheMainWindowKeepsOneViewer) {
  Open();
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible()) continue;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
        << widget->objectName().toStdString();
  }
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  frame.OnCommand(ids::kCommandLogViewer);
  QPointer<LogViewerDialog> first = frame.logViewer();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  frame.OnCommand(ids::kCommandLogViewer);
  EXPECT_EQ(frame.logViewer(), first);
  first->close();
  EXPECT_TRUE(test::WaitFor([&] { return first.isNull(); }));
  EXPECT_EQ(frame.logViewer(), nullptr);
}

}  // namespace
}  // namespace arkvale
