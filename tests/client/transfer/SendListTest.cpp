#include <gtest/gtest.h>

#include <algorithm>

#include "client/transfer/SendList.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

class SendListTest : public ::testing::Test {
 protected:
  test::TempWorld world;
  void Write(const std::string& rel, const std::string& content = "x") {
    test::TempWorld::WriteHostFile(world.driveC() + "/" + rel, content);
  }
  static std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
  }
};

TEST_F(SendListTest, DirectoriesGiveTheirPlainFilesThenFilesNotCoveredExactly) {
  Write("data/a.txt");
  Write("data/b.txt");
  Write("data/sub/deep.txt");
  Write("only_dirs/one/x.txt");
  Write("other/c.txt");
  SelectionSnapshot s;
  s.chosenDirectories = {{"C:\\data"}, {"C:\\only_dirs"}, {"C:\\missing"}};
  s.chosenFiles = {
      {"C:\\data\\a.txt", "C:\\data", "a.txt", 1},    // clicked: covered by the directory
      {"C:\\data\\b.txt", "C:\\data\\", "b.txt", 1},  // from a set: offered a second time
      {"C:\\other\\c.txt", "C:\\other", "c.txt", 1},
  };
  auto list = BuildSendList(s);
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(Sorted({list[0], list[1]}),
            (std::vector<std::string>{"C:\\data\\a.txt", "C:\\data\\b.txt"}));
  EXPECT_EQ(list[2], "C:\\data\\b.txt");
  EXPECT_EQ(list[3], "C:\\other\\c.txt");
}

TEST_F(SendListTest, DriveRootDirectoryJoinsWithoutADoubleBackslash) {
  Write("root.txt");
  SelectionSnapshot s;
  s.chosenDirectories = {{"C:\\"}};
  auto list = BuildSendList(s);
  EXPECT_NE(std::find(list.begin(), list.end(), "C:\\root.txt"), list.end());
}

TEST_F(SendListTest, SetFileLinesAreSkippedOnlyForTheirOwnDirectory) {
  Write("data/z.txt");
  BackupSetContents set;
  set.directories = {"C:\\data", "C:\\root\\"};
  set.files = {"C:\\data2\\x.txt", "C:\\data\\sub\\y.txt", "C:\\data\\z.txt", "C:\\root\\r.txt",
               "C:\\database.txt"};
  EXPECT_EQ(BuildSendList(set),
            (std::vector<std::string>{"C:\\data\\z.txt", "C:\\data2\\x.txt", "C:\\data\\sub\\y.txt",
                                      "C:\\database.txt"}));
}

TEST(FileInfoTest, PathSizeAndTimeAsSignedDecimals) {
  EXPECT_EQ(FileInfo("C:\\data\\a.txt", 1234, 1700000000), "C:\\data\\a.txt?1234?1700000000");
  EXPECT_EQ(FileInfo("C:\\big", -1294967296, 0), "C:\\big?-1294967296?0");
}

}  // namespace
}  // namespace arkvale
