#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include "client/resources/ResourceIds.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Files.h"
#include "platform/WindowsNames.h"
#include "tests/client/transfer/DialogWorld.h"

namespace arkvale {
namespace {

class BackupDlgTest : public ::testing::Test, protected test::DialogWorld {
 protected:
  void SetUp() override {
    backupInProgress = false;
    const std::string data = world.driveC() + "/data";
    test::TempWorld::WriteHostFile(data + "/a", std::string(10, 'a'));
    test::TempWorld::WriteHostFile(data + "/b", std::string(20, 'b'));
    test::TempWorld::WriteHostFile(data + "/c", std::string(30, 'c'));
    test::TempWorld::WriteHostFile(data + "/sub/x", "x");
    test::TempWorld::WriteHostFile(world.driveC() + "/one.txt", std::string(7, '1'));
    test::TempWorld::WriteHostFile(world.driveC() + "/two.txt", std::string(2, '2'));
  }
  void TearDown() override {
    backupInProgress = false;
    delete dialog;
  }
  void Open() {
    dialog = new CBackupDlg(doc, session);
    dialog->show();
  }
  template <typename T>
  T* Control(int id) {
    return dialog->findChild<T*>(ids::IdName(id));
  }
  QString Cell(int list, int row, int column) {
    QTableView* view = Control<QTableView>(list);
    return view->model()->index(row, column).data().toString();
  }
  QString Counter(int id) { return Control<QLineEdit>(id)->text(); }

  QPointer<CBackupDlg> dialog;
};

TEST_F(BackupDlgTest, ListsRowsAndTotals) {
  doc.chosenDirectories.push_back({"C:\\data"});
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  doc.chosenFiles.push_back({"C:\\gone.txt", "C:", "gone.txt", 100});
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Backup");
  QTableView* dirs = Control<QTableView>(ids::kDirectoryList);
  ASSERT_NE(dirs, nullptr);
  EXPECT_TRUE(dirs->showGrid());
  ASSERT_EQ(dirs->model()->rowCount(), 1);
  EXPECT_EQ(Cell(ids::kDirectoryList, 0, 0), "C:\\data");
  EXPECT_EQ(Cell(ids::kDirectoryList, 0, 1), "3");
  EXPECT_EQ(Cell(ids::kDirectoryList, 0, 2), "60");
  ASSERT_EQ(Control<QTableView>(ids::kFileList)->model()->rowCount(), 1);
  EXPECT_EQ(Cell(ids::kFileList, 0, 1), "one.txt");
  EXPECT_EQ(Counter(ids::kBytesSelected), "67");
  EXPECT_EQ(Counter(ids::kFilesSelected), "4");
  EXPECT_EQ(Counter(ids::kBytesTransmitted), "0");
  EXPECT_EQ(Counter(ids::kFilesTransmitted), "0");
  EXPECT_EQ(Control<QLineEdit>(ids::kBytesSelected)->alignment() & Qt::AlignRight, Qt::AlignRight);
  EXPECT_TRUE(Control<QLineEdit>(ids::kBytesSelected)->isReadOnly());

  const QStringList headers{"Directory", "Number of Files", "Size (bytes)", "Last Modified"};
  const std::vector<int> widths{250, 96, 96, 128};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(dirs->model()->headerData(i, Qt::Horizontal).toString(), headers[i]);
    EXPECT_EQ(dirs->horizontalHeader()->sectionSize(i), widths[static_cast<std::size_t>(i)]);
  }
  const auto align = [&](int column) {
    return dirs->model()->index(0, column).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
           Qt::AlignHorizontal_Mask;
  };
  EXPECT_EQ(align(0), Qt::AlignLeft);
  EXPECT_EQ(align(2), Qt::AlignRight);
  EXPECT_EQ(align(3), Qt::AlignHCenter);
  QTableView* files = Control<QTableView>(ids::kFileList);
  EXPECT_EQ(files->model()->headerData(0, Qt::Horizontal).toString(), "Full Path");
  EXPECT_EQ(files->horizontalHeader()->sectionSize(1), 170);
}

TEST_F(BackupDlgTest, NamesAreShownWithTheHostsOwnCharacters) {
  test::TempWorld::WriteHostFile(world.driveC() + "/at 10:30/what?.txt", "x");
  const std::string directory = "C:\\" + plat::WindowsNameOf("at 10:30");
  const std::string name = plat::WindowsNameOf("what?.txt");
  doc.chosenDirectories.push_back({directory});
  doc.chosenFiles.push_back({directory + "\\" + name, directory, name, 1});
  Open();
  EXPECT_EQ(Cell(ids::kDirectoryList, 0, 0), "C:\\at 10:30");
  EXPECT_EQ(Cell(ids::kFileList, 0, 0), "C:\\at 10:30");
  EXPECT_EQ(Cell(ids::kFileList, 0, 1), "what?.txt");
}

TEST_F(BackupDlgTest, AnEmptyListIsGreyAndHeaderClicksSortAscending) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  doc.chosenFiles.push_back({"C:\\data\\c", "C:\\data", "c", 30});
  doc.chosenFiles.push_back({"C:\\two.txt", "C:", "two.txt", 2});
  Open();
  EXPECT_EQ(Control<QTableView>(ids::kDirectoryList)->palette().color(QPalette::Base),
            QColor(192, 192, 192));
  EXPECT_NE(Control<QTableView>(ids::kFileList)->palette().color(QPalette::Base),
            QColor(192, 192, 192));
  EXPECT_EQ(Control<QTableView>(ids::kDirectoryList)->model()->rowCount(), 0);
  QHeaderView* header = Control<QTableView>(ids::kFileList)->horizontalHeader();
  for (int click = 0; click < 2; ++click) {
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 10, header->height() / 2));
    EXPECT_EQ(Cell(ids::kFileList, 0, 2), "2") << click;
    EXPECT_EQ(Cell(ids::kFileList, 1, 2), "7") << click;
    EXPECT_EQ(Cell(ids::kFileList, 2, 2), "30") << click;
  }
}

TEST_F(BackupDlgTest, StartWithoutAKeyIsRefused) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  doc.encryptionKey.clear();
  Open();
  QPushButton* stop = Control<QPushButton>(ids::kStopBackup);
  EXPECT_FALSE(stop->isEnabled());
  Control<QPushButton>(ids::kStartBackup)->click();
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text,
            "You must fill in an encryption key before you can back up files \n see the help "
            "for the importance of this and how to do it");
  EXPECT_EQ(prompt.boxes()[0].caption, "Arkvale");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Warning);
  EXPECT_EQ(prompt.boxes()[0].owner, Owner::BackupDialog);
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_FALSE(backupInProgress);
}

TEST_F(BackupDlgTest, StopBackupFollowsTheRunAndCloseWaitsForIt) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  doc.encryptionKey = "key";
  Open();
  QPushButton* stop = Control<QPushButton>(ids::kStopBackup);
  QPushButton* start = Control<QPushButton>(ids::kStartBackup);
  EXPECT_TRUE(start->isDefault());
  // Without a session the run ends at its opening exchange.
  start->click();
  EXPECT_TRUE(stop->isEnabled());
  stop->click();
  EXPECT_FALSE(stop->isEnabled());
  EXPECT_TRUE(test::WaitFor([] { return !backupInProgress; }, 10000));
  QApplication::processEvents();
  EXPECT_FALSE(stop->isEnabled());

  // While a run is under way the window stays.
  backupInProgress = true;
  const std::size_t before = prompt.boxes().size();
  Control<QPushButton>(ids::kIdCancel)->click();
  QTest::keyClick(dialog, Qt::Key_Escape);
  EXPECT_TRUE(dialog->isVisible());
  ASSERT_EQ(prompt.boxes().size(), before + 2);
  EXPECT_EQ(prompt.boxes().back().text, "Backup operation still in progress");
  EXPECT_EQ(prompt.boxes().back().caption, "arkvale");
  EXPECT_EQ(prompt.boxes().back().owner, Owner::BackupDialog);
  // A second start while running does nothing.
  start->click();
  EXPECT_EQ(prompt.boxes().size(), before + 2);

  backupInProgress = false;
  Control<QPushButton>(ids::kIdCancel)->click();
  EXPECT_TRUE(test::WaitFor([&] { return dialog.isNull(); }));
}

TEST_F(BackupDlgTest, TheProgramsEndLeavesARunningDialogWithoutABox) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  Open();
  backupInProgress = true;
  // What the program does when its main window has closed: it closes every other window. The run
  // ends with the process; "still in progress" would tell the user otherwise.
  QApplication::closeAllWindows();
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(BackupDlgTest, StopBackupLeavesTheStopFile) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  Open();
  dialog->OnStopBackup();
  EXPECT_TRUE(plat::FileExists("C:\\backup_stop_file_name123"));
  EXPECT_EQ(test::TempWorld::ReadHostFile(world.driveC() + "/backup_stop_file_name123"), "");
}

TEST_F(BackupDlgTest, ProgressFromTheRunThreadReachesTheControls) {
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 7});
  Open();
  QSignalSpy barMoves(Control<QProgressBar>(ids::kTransmissionBar), &QProgressBar::valueChanged);
  std::thread run([&] {
    // A burst as from many small files: the screen shows the latest values, not every step.
    for (int i = 1; i <= 300; ++i) {
      dialog->SetBytesTransmitted(1000 * i);
      dialog->SetFilesTransmitted(i);
      dialog->RefreshFields();
      dialog->SetTransmission(i % 100);
    }
    dialog->SetBytesTransmitted(4000);
    dialog->SetFilesTransmitted(3);
    dialog->RefreshFields();
    dialog->SetCompressing(40);
    dialog->SetEncrypting(55);
    dialog->SetTransmission(70);
  });
  run.join();
  ASSERT_TRUE(test::WaitFor([&] { return Counter(ids::kFilesTransmitted) == "3"; }));
  EXPECT_LE(barMoves.count(), 2);
  EXPECT_EQ(Counter(ids::kBytesTransmitted), "4000");
  EXPECT_EQ(Control<QProgressBar>(ids::kCompressingBar)->value(), 40);
  EXPECT_EQ(Control<QProgressBar>(ids::kEncryptingBar)->value(), 55);
  EXPECT_EQ(Control<QProgressBar>(ids::kTransmissionBar)->value(), 70);
  EXPECT_EQ(dialog->BytesSelected(), 7u);
}

}  // namespace
}  // namespace arkvale
