#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <QWindow>
#include <filesystem>

#include "client/selection/FileView.h"
#include "client/selection/TreeMarks.h"
#include "platform/WindowsNames.h"
#include "tests/client/selection/ViewsFixture.h"

namespace fs = std::filesystem;

namespace arkvale {
namespace {

using Strings = std::vector<std::string>;

// Records the hints the file list sends.
class HintRecorder : public SelectionObserver {
 public:
  void OnSelectionUpdate(const SelectionHint& hint) override { hints.push_back(hint); }
  std::vector<SelectionHint> hints;
};

class FileViewTest : public test::ViewsFixture {
 protected:
  Strings Names() { return files->Rows().Names(); }
  QString Text(int row, int column) {
    return files->model()->data(files->model()->index(row, column)).toString();
  }
};

TEST_F(FileViewTest, ShowsThePlainFilesWithTheirColumns) {
  test::TempWorld::WriteHostFile(HostC("data/five.bin"), "12345");
  MakeViews();
  Select("C:\\data");
  EXPECT_EQ(files->Rows().RowCount(), 3);  // a.txt, b.txt, five.bin; not sub
  int five = Row("five.bin");
  EXPECT_EQ(Text(five, 0), "five.bin");
  EXPECT_EQ(Text(five, 1), "5");
  EXPECT_FALSE(Text(five, 2).isEmpty());
  EXPECT_EQ(files->model()
                    ->data(files->model()->index(five, 1), Qt::TextAlignmentRole)
                    .value<Qt::Alignment>() &
                Qt::AlignRight,
            Qt::AlignRight);

  const char* headings[] = {"File Name", "Size", "Last Modified"};
  const int widths[] = {192, 96, 128};
  for (int column = 0; column < 3; ++column) {
    EXPECT_EQ(files->model()->headerData(column, Qt::Horizontal).toString(), headings[column]);
    EXPECT_EQ(files->columnWidth(column), widths[column]);
  }

  Select("C:\\nofiles");
  EXPECT_EQ(files->Rows().RowCount(), 0);
}

TEST_F(FileViewTest, NamesAreShownWithTheHostsOwnCharacters) {
  test::TempWorld::WriteHostFile(HostC("data/Meeting 10:30.txt"), "x");
  test::TempWorld::WriteHostFile(HostC("data/at 10:30/what?.txt"), "x");
  MakeViews();
  Expand("C:\\data");
  EXPECT_EQ(ChildTexts("C:\\data"), (Strings{"at 10:30", "sub"}));
  Select("C:\\data");
  EXPECT_EQ(Text(Row(plat::WindowsNameOf("Meeting 10:30.txt")), 0), "Meeting 10:30.txt");
  Select("C:\\data\\" + plat::WindowsNameOf("at 10:30"));
  ASSERT_EQ(files->Rows().RowCount(), 1);
  EXPECT_EQ(Text(0, 0), "what?.txt");
  files->ClickRow(0);
  EXPECT_EQ(ChosenFiles(), Strings{"C:\\data\\" + plat::WindowsNameOf("at 10:30") + "\\" +
                                   plat::WindowsNameOf("what?.txt")});
}

TEST_F(FileViewTest, AFileInADriveRootIsChosenWithOneBackslash) {
  MakeViews();
  HintRecorder recorder;
  selection.AddObserver(&recorder);
  files->ClickRow(Row("rootfile.txt"));
  ASSERT_EQ(selection.chosenFiles.size(), 1u);
  EXPECT_EQ(selection.chosenFiles[0].fullPath, "C:\\rootfile.txt");
  EXPECT_EQ(selection.chosenFiles[0].directory, "C:\\");
  EXPECT_TRUE(files->Rows().IsTicked(0));
  ASSERT_EQ(recorder.hints.size(), 1u);
  EXPECT_EQ(recorder.hints[0].kind, SelectionHint::Kind::Mark);
  EXPECT_EQ(recorder.hints[0].mark, kMarkWholly);

  files->ClickRow(Row("rootfile.txt"));
  EXPECT_TRUE(selection.chosenFiles.empty());
  EXPECT_EQ(recorder.hints.back().mark, kMarkNone);
  selection.RemoveObserver(&recorder);
}

TEST_F(FileViewTest, SortsAscendingByEveryColumn) {
  fs::create_directories(HostC("sizes"));
  test::TempWorld::WriteHostFile(HostC("sizes/one"), "1");
  test::TempWorld::WriteHostFile(HostC("sizes/a.txt"), "22");
  test::TempWorld::WriteHostFile(HostC("sizes/A.TXT"), "333");
  test::TempWorld::WriteHostFile(HostC("sizes/big"), "");
  fs::resize_file(HostC("sizes/big"), 3000000000ULL);  // sparse
  fs::last_write_time(HostC("sizes/one"), fs::file_time_type::clock::now() - std::chrono::hours(3));
  fs::last_write_time(HostC("sizes/big"), fs::file_time_type::clock::now() - std::chrono::hours(2));
  MakeViews();
  Select("C:\\sizes");

  files->SortByColumn(1);
  EXPECT_EQ(Names(), (Strings{"one", "a.txt", "A.TXT", "big"}));
  EXPECT_EQ(Text(3, 1), "3000000000");
  files->SortByColumn(1);  // a second click sorts the same way
  EXPECT_EQ(Names(), (Strings{"one", "a.txt", "A.TXT", "big"}));

  files->SortByColumn(0);
  Strings names = Names();
  EXPECT_EQ(Strings(names.begin() + 2, names.end()), (Strings{"big", "one"}));
  EXPECT_EQ(files->SortColumn(), 0);

  files->SortByColumn(2);
  names = Names();
  EXPECT_EQ(Strings(names.begin(), names.begin() + 2), (Strings{"one", "big"}));

  // A row click keeps the order of the last column clicked.
  files->SortByColumn(1);
  files->ClickRow(0);
  EXPECT_EQ(Names(), (Strings{"one", "a.txt", "A.TXT", "big"}));
  EXPECT_TRUE(files->Rows().IsTicked(0));
}

TEST_F(FileViewTest, ADirectoryIsShownInTheOrderAClickKeeps) {
  // Rows must not move under the pointer between two clicks: the first fill is sorted already.
  fs::create_directories(HostC("many"));
  Strings created;
  for (char c = 'a'; c <= 't'; ++c) {
    created.push_back(std::string(1, c) + ".txt");
    test::TempWorld::WriteHostFile(HostC("many/" + created.back()), "x");
  }
  MakeViews();
  Select("C:\\many");
  EXPECT_EQ(Names(), created);
}

TEST_F(FileViewTest, ClicksOnRowsChooseAndClicksBelowThemDoNothing) {
  MakeViews();
  files->resize(500, 300);
  files->show();
  Select("C:\\pair");
  ASSERT_EQ(files->Rows().RowCount(), 2);

  QRect first = files->visualRect(files->model()->index(0, 1));
  QTest::mouseClick(files->viewport(), Qt::LeftButton, {}, first.center());
  EXPECT_EQ(selection.chosenFiles.size(), 1u);
  EXPECT_TRUE(files->Rows().IsTicked(0));

  QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                    QPoint(20, files->viewport()->height() - 5));
  EXPECT_EQ(selection.chosenFiles.size(), 1u);
  EXPECT_FALSE(files->Rows().IsTicked(1));
}

TEST_F(FileViewTest, ADoubleClickOnARowIsOneClick) {
  MakeViews();
  files->resize(500, 300);
  files->show();
  Select("C:\\pair");
  HintRecorder recorder;
  selection.AddObserver(&recorder);
  const QPoint row = files->visualRect(files->model()->index(0, 1)).center();
  // Through the window system, as a real double-click arrives.
  QTest::mouseDClick(files->window()->windowHandle(), Qt::LeftButton, {},
                     files->viewport()->mapTo(files->window(), row));
  selection.RemoveObserver(&recorder);
  EXPECT_EQ(recorder.hints.size(), 1u);
  EXPECT_EQ(ChosenFiles(), Strings{"C:\\pair\\p.txt"});
}

TEST_F(FileViewTest, ClickingTheOnlyClearRowOfAChosenSetSendsWholly) {
  MakeViews();
  Select("C:\\pair");
  HintRecorder recorder;
  selection.AddObserver(&recorder);
  files->ClickRow(Row("p.txt"));
  EXPECT_EQ(recorder.hints.back().mark, kMarkPartly);
  files->ClickRow(Row("q.txt"));
  EXPECT_EQ(recorder.hints.back().mark, kMarkWholly);
  selection.RemoveObserver(&recorder);
}

}  // namespace
}  // namespace arkvale
