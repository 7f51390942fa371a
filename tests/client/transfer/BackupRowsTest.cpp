#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>

#include "client/transfer/BackupRows.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

std::time_t Local(int year, int month, int day, int hour, int minute) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

TEST(BackupRowsTest, TimesShowOnATwelveHourClock) {
  EXPECT_EQ(FormatLastModified(Local(2004, 3, 5, 14, 7)), "3/05/04 (2:07p)");
  EXPECT_EQ(FormatLastModified(Local(2021, 11, 20, 0, 30)), "11/20/21 (12:30a)");
  EXPECT_EQ(FormatLastModified(Local(2021, 1, 2, 12, 0)), "1/02/21 (12:00p)");
  EXPECT_EQ(FormatLastModified(Local(2000, 12, 31, 23, 59)), "12/31/00 (11:59p)");
  EXPECT_EQ(FormatLastModified(Local(2010, 7, 9, 11, 5)), "7/09/10 (11:05a)");
}

TEST(BackupRowsTest, DirectoriesCountTheirPlainFilesAndChosenFilesThatExist) {
  test::TempWorld world;
  const std::string data = world.driveC() + "/data";
  test::TempWorld::WriteHostFile(data + "/a", std::string(10, 'a'));
  test::TempWorld::WriteHostFile(data + "/b", std::string(20, 'b'));
  test::TempWorld::WriteHostFile(data + "/c", std::string(30, 'c'));
  test::TempWorld::WriteHostFile(data + "/sub/deeper", std::string(500, 'd'));
  test::TempWorld::WriteHostFile(world.driveC() + "/notes.txt", "hello");

  std::vector<ChosenDirectory> directories{{"C:\\data"}, {"C:\\missing"}};
  std::vector<ChosenFile> files{{"C:\\notes.txt", "C:", "notes.txt", 5},
                                {"C:\\gone.txt", "C:", "gone.txt", 700}};
  const BackupRows rows = BuildBackupRows(directories, files);

  ASSERT_EQ(rows.directories.size(), 2u);
  EXPECT_EQ(DirectoryCell(rows.directories[0], 0), "C:\\data");
  EXPECT_EQ(DirectoryCell(rows.directories[0], 1), "3");
  EXPECT_EQ(DirectoryCell(rows.directories[0], 2), "60");
  EXPECT_FALSE(DirectoryCell(rows.directories[0], 3).empty());
  // A directory that cannot be listed still has its row, with nothing in it.
  EXPECT_EQ(DirectoryCell(rows.directories[1], 1), "0");
  EXPECT_EQ(DirectoryCell(rows.directories[1], 2), "0");
  EXPECT_EQ(DirectoryCell(rows.directories[1], 3), "");
  // The vanished file has no row and counts nothing.
  ASSERT_EQ(rows.files.size(), 1u);
  EXPECT_EQ(FileCell(rows.files[0], 0), "C:");
  EXPECT_EQ(FileCell(rows.files[0], 1), "notes.txt");
  EXPECT_EQ(FileCell(rows.files[0], 2), "5");
  EXPECT_EQ(rows.filesSelected, 4u);
  EXPECT_EQ(rows.bytesSelected, 65u);
}

TEST(BackupRowsTest, SizesWrapAndShowUnsigned) {
  ChosenDirectoryRow big{"C:\\big", 2, 4294967295u + 0u, 0, true};
  big.size += 11;  // wraps to 10
  EXPECT_EQ(DirectoryCell(big, 2), "10");
  ChosenFileRow huge{"C:", "huge.iso", -1294967296, 0};  // 3000000000 as a signed 32-bit size
  EXPECT_EQ(FileCell(huge, 2), "3000000000");
}

TEST(BackupRowsTest, SortingIsAscendingEveryTime) {
  std::vector<ChosenFileRow> files{
      {"C:\\b", "Zeta", 300, 30}, {"c:\\A", "alpha", -1294967296, 10}, {"C:\\c", "beta", 20, 20}};
  SortFileRows(files, 2);
  EXPECT_EQ(files[0].name, "beta");
  EXPECT_EQ(files[1].name, "Zeta");
  // The size the list shows as 3000000000 is the largest.
  EXPECT_EQ(files[2].name, "alpha");
  SortFileRows(files, 2);
  EXPECT_EQ(files[0].name, "beta");
  SortFileRows(files, 1);
  EXPECT_EQ(files[0].name, "alpha");
  EXPECT_EQ(files[2].name, "Zeta");
  SortFileRows(files, 0);
  EXPECT_EQ(files[0].directory, "c:\\A");
  SortFileRows(files, 3);
  EXPECT_EQ(files[0].lastWrite, 10);
  EXPECT_EQ(files[2].lastWrite, 30);

  std::vector<ChosenDirectoryRow> dirs{
      {"C:\\b", 5, 1, 3, true}, {"C:\\A", 1, 9, 1, true}, {"C:\\c", 3, 5, 2, true}};
  SortDirectoryRows(dirs, 1);
  EXPECT_EQ(dirs[0].path, "C:\\A");
  EXPECT_EQ(dirs[2].path, "C:\\b");
  SortDirectoryRows(dirs, 2);
  EXPECT_EQ(dirs[0].path, "C:\\b");
  EXPECT_EQ(dirs[2].path, "C:\\A");
  SortDirectoryRows(dirs, 0);
  EXPECT_EQ(dirs[0].path, "C:\\A");
  SortDirectoryRows(dirs, 3);
  EXPECT_EQ(dirs[0].path, "C:\\A");
  EXPECT_EQ(dirs[2].path, "C:\\b");
}

}  // namespace
}  // namespace arkvale
