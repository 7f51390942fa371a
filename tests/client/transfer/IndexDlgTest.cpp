// The Restore and Delete dialogs: sorting, ticking, the start and stop buttons and closing.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "client/resources/ResourceIds.h"
#include "client/transfer/DeleteDlg.h"
#include "client/transfer/RestoreDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Files.h"
#include "tests/client/transfer/DialogWorld.h"

namespace arkvale {
namespace {

class IndexDlgTest : public ::testing::Test, protected test::DialogWorld {
 protected:
  void SetUp() override { deleteInProgress = restoreInProgress = false; }
  void TearDown() override {
    deleteInProgress = restoreInProgress = false;
    delete dialog;
  }
  template <typename Dialog>
  Dialog* Open(std::vector<IndexEntry> rows) {
    auto* d = new Dialog(doc, session);
    dialog = d;
    d->SetRows(std::move(rows));
    d->show();
    return d;
  }
  template <typename T = QPushButton>
  T* Control(int id) {
    return dialog->findChild<T*>(ids::IdName(id));
  }
  QTableView* List() { return dialog->findChild<QTableView*>(); }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> out;
    for (int row = 0; row < List()->model()->rowCount(); ++row) {
      out.push_back(List()->model()->index(row, column).data().toString().toStdString());
    }
    return out;
  }
  void ClickCell(int row, int column) {
    QTableView* list = List();
    QRect cell = list->visualRect(list->model()->index(row, column));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
  }

  QPointer<CIndexDlg> dialog;
};

TEST_F(IndexDlgTest, SortsAscendingByTheClickedColumn) {
  Open<CDeleteDlg>({{"C:\\b.txt", 10, 3}, {"C:\\a", 9, 2}, {"C:\\B.TXT", 100, 1}, {"D:\\", -1, 0}});
  EXPECT_EQ(List()->horizontalHeader()->sectionSize(0), 330);
  QHeaderView* header = List()->horizontalHeader();
  for (int i = 0; i < 2; ++i) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(1) + 5, 5));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"4294967295", "9", "10", "100"}));
  }
  static_cast<CIndexDlg*>(dialog)->model().sort(0);
  const auto names = Column(0);
  EXPECT_EQ(names[0], "C:\\a");
  EXPECT_EQ(QString::fromStdString(names[1]).toLower(), "c:\\b.txt");
  EXPECT_EQ(QString::fromStdString(names[2]).toLower(), "c:\\b.txt");
  static_cast<CIndexDlg*>(dialog)->model().sort(2);
  EXPECT_EQ(Column(0).front(), "D:\\");
}

TEST_F(IndexDlgTest, NamesSortByTheTextTheListShowsCaseIgnored) {
  // A stored colon has its private-use form; the list shows ':' and sorts it before letters.
  Open<CRestoreDlg>({{"Z:\\h\\10a", 1, 1},
                     {"Z:\\h\\\u00C4b", 2, 2},
                     {"Z:\\h\\10\uF03A30", 3, 3},
                     {"Z:\\h\\\u00E4a", 4, 4},
                     {"Z:\\h\\10Z", 5, 5}});
  static_cast<CIndexDlg*>(dialog)->model().sort(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"Z:\\h\\10:30", "Z:\\h\\10a", "Z:\\h\\10Z",
                                                 "Z:\\h\\\u00E4a", "Z:\\h\\\u00C4b"}));
}

TEST_F(IndexDlgTest, TicksStayWithTheirFilesAcrossSortsAndANewListingSortsAnew) {
  // Names that differ only far past their shared start, in either case.
  const std::string deep = "C:\\folder\\a long name that goes on and on ";
  auto* d =
      Open<CDeleteDlg>({{deep + "Zeta", 1, 30}, {deep + "alpha", 2, 20}, {deep + "BETA", 3, 10}});
  CIndexListModel& model = d->model();
  model.sort(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{deep + "alpha", deep + "BETA", deep + "Zeta"}));
  model.Toggle(2);  // Zeta
  model.sort(2);
  EXPECT_EQ(Column(0).front(), deep + "BETA");
  EXPECT_TRUE(model.ticked(2));
  model.Toggle(0);  // BETA
  model.sort(0);
  std::vector<std::string> ticked;
  for (const IndexEntry& entry : d->TickedEntries()) ticked.push_back(entry.name);
  EXPECT_EQ(ticked, (std::vector<std::string>{deep + "BETA", deep + "Zeta"}));

  d->SetRows({{"C:\\y", 1, 1}, {"C:\\x", 2, 2}, {"C:\\z", 3, 3}});
  model.sort(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"C:\\x", "C:\\y", "C:\\z"}));
  EXPECT_TRUE(d->TickedEntries().empty());
}

TEST_F(IndexDlgTest, ClickingARowTicksItAndStartFollowsTheCount) {
  test::TempWorld::WriteHostFile(world.driveC() + "/temp_index_file_xyz5555",
                                 "C:\\a\t1\t2\t3\nC:\\b\t1\t2\t3\n");
  Open<CDeleteDlg>({{"C:\\a", 1, 2}, {"C:\\b", 1, 2}});
  QPushButton* start = Control(ids::kStartDelete);
  EXPECT_FALSE(start->isEnabled());
  EXPECT_FALSE(Control(ids::kStopDelete)->isEnabled());
  ClickCell(1, 1);
  EXPECT_EQ(List()->model()->index(1, 0).data(Qt::CheckStateRole), Qt::Checked);
  EXPECT_TRUE(start->isEnabled());
  ClickCell(0, 0);
  ClickCell(1, 2);
  EXPECT_EQ(List()->model()->index(1, 0).data(Qt::CheckStateRole), Qt::Unchecked);
  EXPECT_TRUE(start->isEnabled());
  ClickCell(0, 2);
  EXPECT_FALSE(start->isEnabled());

  // Space ticks the current row, as a click does.
  List()->setFocus();
  List()->setCurrentIndex(List()->model()->index(0, 0));
  QTest::keyClick(List(), Qt::Key_Space);
  EXPECT_EQ(dialog->TickedEntries().size(), 1u);
  EXPECT_TRUE(start->isEnabled());

  Control(ids::kCheckAll)->click();
  EXPECT_EQ(dialog->TickedEntries().size(), 2u);
  // A search unticks every row and leaves the start button alone; Enter in the box searches.
  Control<QLineEdit>(ids::kSearchText)->setText("b");
  QTest::keyClick(Control<QLineEdit>(ids::kSearchText), Qt::Key_Return);
  EXPECT_EQ(Column(0), std::vector<std::string>{"C:\\b"});
  EXPECT_TRUE(dialog->TickedEntries().empty());
  EXPECT_TRUE(start->isEnabled());
  EXPECT_TRUE(dialog->isVisible());
  Control(ids::kUncheckAll)->click();
  EXPECT_FALSE(start->isEnabled());
}

TEST_F(IndexDlgTest, CheckAllOnAnEmptyListStartsARunThatSendsNothing) {
  Open<CDeleteDlg>({});
  Control(ids::kCheckAll)->click();
  ASSERT_TRUE(Control(ids::kStartDelete)->isEnabled());
  Control(ids::kStartDelete)->click();
  ASSERT_TRUE(test::WaitFor([] { return !deleteInProgress; }));
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, kDeleteConfirmText);
  EXPECT_TRUE(prompt.boxes()[0].question);
  EXPECT_EQ(prompt.boxes()[0].owner, Owner::DeleteDialog);
  EXPECT_TRUE(test::WaitFor([this] { return !Control(ids::kStopDelete)->isEnabled(); }));
}

TEST_F(IndexDlgTest, EveryEndOfARunDisablesStopAndAStopAfterItLeavesNoFile) {
  // Without a connection both runs end early, after their "Cannot proceed" box.
  for (const bool restore : {false, true}) {
    SCOPED_TRACE(restore ? "restore" : "delete");
    if (restore) {
      Open<CRestoreDlg>({{"C:\\a", 1, 2}});
    } else {
      Open<CDeleteDlg>({{"C:\\a", 1, 2}});
    }
    const int stopId = restore ? ids::kStopRestore : ids::kStopDelete;
    const char* stopFile = restore ? kRestoreStopFile : kDeleteStopFile;
    ClickCell(0, 0);
    if (!restore) prompt.QueueAnswer(true);
    Control(restore ? ids::kStartRestore : ids::kStartDelete)->click();
    ASSERT_TRUE(test::WaitFor(
        [&] { return !restoreInProgress && !deleteInProgress && !Control(stopId)->isEnabled(); }));
    EXPECT_NE(prompt.texts().back().find("Cannot proceed with the"), std::string::npos);
    dialog->OnStop();
    EXPECT_FALSE(plat::FileExists(stopFile));
    delete dialog;
  }
}

TEST_F(IndexDlgTest, NoToTheConfirmationLeavesEverythingAsItWas) {
  Open<CDeleteDlg>({{"C:\\a", 1, 2}});
  ClickCell(0, 0);
  prompt.QueueAnswer(false);
  Control(ids::kStartDelete)->click();
  EXPECT_FALSE(deleteInProgress);
  EXPECT_FALSE(Control(ids::kStopDelete)->isEnabled());
  EXPECT_TRUE(Control(ids::kStartDelete)->isEnabled());
  EXPECT_EQ(dialog->TickedEntries().size(), 1u);
}

TEST_F(IndexDlgTest, DuringADeleteStartAndCloseAreRefusedAndEnterNeverCloses) {
  Open<CDeleteDlg>({{"C:\\a", 1, 2}});
  deleteInProgress = true;
  // A second press of Start delete during a run asks nothing and starts nothing.
  Control(ids::kCheckAll)->click();
  Control(ids::kStartDelete)->click();
  EXPECT_TRUE(prompt.boxes().empty());
  Control(ids::kIdCancel)->click();
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_EQ(prompt.texts(), std::vector<std::string>(2, kDeleteStillRunningText));
  EXPECT_EQ(prompt.boxes()[0].caption, kApplicationTitle);
  EXPECT_TRUE(dialog->isVisible());
  deleteInProgress = false;
  List()->setFocus();
  QTest::keyClick(dialog, Qt::Key_Return);
  EXPECT_TRUE(dialog->isVisible());
  Control(ids::kIdCancel)->click();
  EXPECT_TRUE(test::WaitFor([this] { return dialog.isNull(); }));
}

TEST_F(IndexDlgTest, RestoreOffersItsTickedRowsAndStartRestoreFollowsTheTicks) {
  Open<CRestoreDlg>({{"C:\\a", 1, 2}, {"C:\\b", 3, 4}});
  EXPECT_EQ(dialog->windowTitle(), "Restore");
  ClickCell(1, 0);
  restoreInProgress = true;
  Control(ids::kStopRestore)->setEnabled(true);
  Control(ids::kStopRestore)->click();
  restoreInProgress = false;
  EXPECT_TRUE(plat::FileExists("C:\\restore_stop_file_name123"));
  EXPECT_FALSE(Control(ids::kStopRestore)->isEnabled());
  auto ticked = dialog->TickedEntries();
  ASSERT_EQ(ticked.size(), 1u);
  EXPECT_EQ(ticked[0].name, "C:\\b");
  EXPECT_EQ(ticked[0].size, 3);
  EXPECT_EQ(ticked[0].modified, 4);
  EXPECT_TRUE(Control(ids::kStartRestore)->isEnabled());
  // Every control a screen reader reaches has a name to read.
  for (QWidget* widget : dialog->findChildren<QWidget*>()) {
    if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisible()) continue;
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(face, nullptr);
    EXPECT_FALSE(face->text(QAccessible::Name).isEmpty()) << widget->objectName().toStdString();
  }
}

}  // namespace
}  // namespace arkvale
