#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "client/selection/FileRow.h"
#include "client/selection/LastModified.h"
#include "client/selection/Selection.h"
#include "client/selection/SelectionPaths.h"
#include "client/selection/TreeMarks.h"
#include "tests/support/FileAccessOverride.h"
#include "tests/support/TempWorld.h"
#include "tests/support/UtcTime.h"

namespace fs = std::filesystem;

namespace arkvale {
namespace {

constexpr ItemImages kFolder{9, 12};
constexpr ItemImages kFolderPartly{10, 13};
constexpr ItemImages kFolderWholly{11, 14};

TEST(TreeMarksTest, ImagesFollowTheKindOfTheItem) {
  EXPECT_EQ(ImagesForMark(kFolder, kMarkPartly), kFolderPartly);
  EXPECT_EQ(ImagesForMark(ItemImages{9, 9}, kMarkWholly), kFolderWholly);  // a placeholder
  EXPECT_EQ(ImagesForMark(kFolderWholly, kMarkNone), kFolder);
  EXPECT_EQ(ImagesForMark(ItemImages{0, 0}, kMarkWholly), (ItemImages{2, 2}));
  EXPECT_EQ(ImagesForMark(ItemImages{4, 4}, kMarkNone), (ItemImages{3, 3}));
  EXPECT_EQ(ImagesForMark(ItemImages{7, 7}, kMarkWholly), (ItemImages{8, 8}));
  EXPECT_EQ(ImagesForMark(ItemImages{20, 20}, kMarkWholly), (ItemImages{20, 20}));
  EXPECT_EQ(ImageOf(ItemKind::OpenFolder, kMarkWholly), 14);
}

TEST(TreeMarksTest, MarkFromTicks) {
  EXPECT_EQ(MarkFromTicks(0, 0), kMarkNone);
  EXPECT_EQ(MarkFromTicks(3, 0), kMarkNone);
  EXPECT_EQ(MarkFromTicks(3, 1), kMarkPartly);
  EXPECT_EQ(MarkFromTicks(3, 3), kMarkWholly);
}

class TreeMarksDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* file : {"data/a.txt", "data/b.txt", "data/sub/c.txt", "database/d.txt"}) {
      test::TempWorld::WriteHostFile(world.driveC() + "/" + file, "x");
    }
    fs::create_directories(world.driveC() + "/nofiles/only");
  }
  void ChooseFile(const std::string& fullPath) {
    selection.chosenFiles.push_back(
        ChosenFile{fullPath, DirectoryPart(fullPath), NamePart(fullPath), 1});
  }

  test::TempWorld world;
  CSelection selection;
};

TEST_F(TreeMarksDiskTest, DirectoryMarkCountsItsOwnFiles) {
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkNone);
  ChooseFile("C:\\data\\a.txt");
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkPartly);
  ChooseFile("C:\\data\\b.txt");
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkWholly);
  // Files of a subdirectory are not the directory's own.
  EXPECT_EQ(CountOwnFiles("C:\\data", selection)->total, 2);
}

TEST_F(TreeMarksDiskTest, ADuplicateRecordCountsOnce) {
  ChooseFile("C:\\data\\a.txt");
  ChooseFile("C:\\data\\a.txt");
  OwnFiles own = *CountOwnFiles("C:\\data", selection);
  EXPECT_EQ(own.matched, 1);
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkPartly);
  ChooseFile("C:\\data\\b.txt");
  ChooseFile("C:\\data\\b.txt");
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkWholly);
}

TEST_F(TreeMarksDiskTest, SomethingChosenBelowGivesPartly) {
  selection.chosenDirectories.push_back(ChosenDirectory{"C:\\nofiles\\only"});
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\nofiles", selection), kMarkPartly);
  // C:\database does not lie under C:\data.
  selection.chosenDirectories.push_back(ChosenDirectory{"C:\\database"});
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\data", selection), kMarkNone);
  EXPECT_EQ(DirectoryMarkFromDisk("C:\\missing", selection), kMarkNone);
}

TEST_F(TreeMarksDiskTest, AncestorWithOnlyATickedChildIsHatched) {
  AncestorState nofiles{"C:\\nofiles", kFolder, false, {kFolderWholly}};
  EXPECT_EQ(AncestorMark(nofiles, selection), kMarkPartly);
  AncestorState quiet{"C:\\nofiles", kFolder, false, {kFolder}};
  EXPECT_EQ(AncestorMark(quiet, selection), kMarkNone);
  AncestorState partlyBelow{"C:\\nofiles", kFolder, false, {kFolderPartly}};
  EXPECT_EQ(AncestorMark(partlyBelow, selection), kMarkPartly);
}

TEST_F(TreeMarksDiskTest, AncestorIsWhollyChosenOnlyWithItsFilesAndEveryChild) {
  AncestorState data{"C:\\data", kFolder, false, {kFolderWholly}};
  EXPECT_EQ(AncestorMark(data, selection), kMarkPartly);
  ChooseFile("C:\\data\\a.txt");
  ChooseFile("C:\\data\\b.txt");
  EXPECT_EQ(AncestorMark(data, selection), kMarkWholly);
  data.children.push_back(kFolder);
  EXPECT_EQ(AncestorMark(data, selection), kMarkPartly);

  AncestorState ticked{"C:\\data", kFolder, true, {kFolderWholly}};
  CSelection empty;
  EXPECT_EQ(AncestorMark(ticked, empty), kMarkWholly);
  // A twice-named file does not stand in for the one that is not chosen.
  CSelection twice;
  twice.chosenFiles.push_back(ChosenFile{"C:\\data\\a.txt", "C:\\data", "a.txt", 1});
  twice.chosenFiles.push_back(ChosenFile{"C:\\data\\a.txt", "C:\\data", "a.txt", 1});
  AncestorState filesOnly{"C:\\data", kFolder, false, {}};
  EXPECT_EQ(AncestorMark(filesOnly, twice), kMarkPartly);
}

TEST_F(TreeMarksDiskTest, AnUnlistableAncestorEndsTheWalk) {
  AncestorState missing{"C:\\missing", kFolder, false, {kFolderWholly}};
  EXPECT_FALSE(AncestorMark(missing, selection).has_value());
  // A wholly chosen picture needs no listing.
  AncestorState shown{"C:\\missing", kFolderWholly, false, {kFolderWholly}};
  EXPECT_EQ(AncestorMark(shown, selection), kMarkWholly);

  fs::permissions(world.driveC() + "/data", fs::perms::none);
  {
    test::WithoutFileAccessOverride plainAccess;
    AncestorState locked{"C:\\data", kFolder, false, {}};
    EXPECT_FALSE(AncestorMark(locked, selection).has_value());
  }
  fs::permissions(world.driveC() + "/data", fs::perms::owner_all);
}

class LocalTimeInUtc : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = std::getenv("TZ");
    if (tz != nullptr) saved = tz;
    hadTz = tz != nullptr;
    setenv("TZ", "UTC0", 1);
    tzset();
  }
  void TearDown() override {
    if (hadTz) {
      setenv("TZ", saved.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }
  std::string saved;
  bool hadTz = false;
};

TEST_F(LocalTimeInUtc, LastWriteOnATwelveHourClock) {
  EXPECT_EQ(FormatLastModified(test::UtcTime(2004, 3, 30, 15, 7)), "3/30/04 (3:07p)");
  EXPECT_EQ(FormatLastModified(test::UtcTime(2010, 1, 5, 0, 30)), "1/05/10 (12:30a)");
  EXPECT_EQ(FormatLastModified(test::UtcTime(2026, 12, 7, 12, 0)), "12/07/26 (12:00p)");
  EXPECT_EQ(FormatLastModified(test::UtcTime(2000, 7, 1, 11, 59)), "7/01/00 (11:59a)");
}

TEST(FileRowTest, ComparesByColumn) {
  FileRow big{"big", 3000000000ULL, 100};
  FileRow one{"one", 1, 200};
  EXPECT_GT(CompareFileRows(big, one, 1), 0);
  EXPECT_LT(CompareFileRows(one, big, 1), 0);
  EXPECT_LT(CompareFileRows(big, one, 2), 0);
  EXPECT_EQ(CompareFileRows(FileRow{"a.txt"}, FileRow{"A.TXT"}, 0), 0);
  EXPECT_LT(CompareFileRows(FileRow{"a.txt"}, FileRow{"B.txt"}, 0), 0);
  // Letters fold to lower case, so '_' sorts before them.
  EXPECT_GT(CompareFileRows(FileRow{"Z"}, FileRow{"_"}, 0), 0);
}

}  // namespace
}  // namespace arkvale
