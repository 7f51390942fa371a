#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "client/selection/Selection.h"
#include "client/selection/SelectionPaths.h"
#include "tests/support/FileAccessOverride.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace arkvale {
namespace {

std::vector<std::string> Paths(const CSelection& s) {
  std::vector<std::string> out;
  for (const auto& d : s.chosenDirectories) out.push_back(d.path);
  return out;
}

std::vector<std::string> FilePaths(const CSelection& s) {
  std::vector<std::string> out;
  for (const auto& f : s.chosenFiles) out.push_back(f.fullPath);
  return out;
}

std::ptrdiff_t IndexOf(const std::vector<std::string>& v, const std::string& s) {
  auto it = std::find(v.begin(), v.end(), s);
  return it == v.end() ? -1 : it - v.begin();
}

class SelectionTest : public ::testing::Test {
 protected:
  test::TempWorld world;
  std::string C(const std::string& rel) { return world.driveC() + "/" + rel; }
};

TEST(SelectionPathsTest, LiesUnderNeedsASeparatorAfterTheDirectory) {
  EXPECT_TRUE(LiesUnder("C:\\data", "C:\\data"));
  EXPECT_TRUE(LiesUnder("C:\\data\\sub\\x.txt", "C:\\data"));
  EXPECT_TRUE(LiesUnder("C:\\data\\x.txt", "C:\\data\\"));
  EXPECT_TRUE(LiesUnder("C:\\anything", "C:\\"));
  EXPECT_FALSE(LiesUnder("C:\\database", "C:\\data"));
  EXPECT_FALSE(LiesUnder("C:\\data.txt", "C:\\data"));
  EXPECT_FALSE(LiesUnder("C:\\dat", "C:\\data"));
  EXPECT_FALSE(LiesUnder("c:\\data\\x", "C:\\data"));
}

TEST(SelectionPathsTest, SplitsLikeTheRuntime) {
  EXPECT_EQ(DirectoryPart("C:\\data\\a.txt"), "C:\\data\\");
  EXPECT_EQ(NamePart("C:\\data\\a.txt"), "a.txt");
  EXPECT_EQ(DirectoryPart("C:\\a.txt"), "C:\\");
  EXPECT_EQ(DirectoryPart("C:a.txt"), "C:");
  EXPECT_EQ(NamePart("C:a.txt"), "a.txt");
  EXPECT_EQ(DirectoryPart("a.txt"), "");
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:\\data", "a"), "C:\\data\\a");
}

TEST_F(SelectionTest, ChooseWalksPostOrderWithoutDuplicatesOrFiles) {
  test::TempWorld::WriteHostFile(C("data/a/x/deep.txt"), "1");
  test::TempWorld::WriteHostFile(C("data/b/f.txt"), "2");
  test::TempWorld::WriteHostFile(C("data/top.txt"), "3");
  CSelection s;
  s.ChooseDirectoryTree("C:\\data\\b");
  s.ChooseDirectoryTree("C:\\data");
  auto paths = Paths(s);
  ASSERT_EQ(paths.size(), 4u);
  EXPECT_EQ(paths.front(), "C:\\data\\b");
  EXPECT_EQ(paths.back(), "C:\\data");
  EXPECT_LT(IndexOf(paths, "C:\\data\\a\\x"), IndexOf(paths, "C:\\data\\a"));
  EXPECT_TRUE(s.chosenFiles.empty());
  for (const auto& d : s.chosenDirectories) {
    EXPECT_EQ(d.kind, 2);
    EXPECT_EQ(d.flag, 1);
  }
  // Ticking again adds nothing.
  s.ChooseDirectoryTree("C:\\data");
  EXPECT_EQ(Paths(s), paths);
}

TEST_F(SelectionTest, ChooseSkipsUnlistableDirectoriesAndLinks) {
  test::TempWorld::WriteHostFile(C("data/locked/inner/f.txt"), "1");
  test::TempWorld::WriteHostFile(C("data/open/f.txt"), "2");
  fs::create_directory_symlink(C("data"), C("data/loop"));
  fs::permissions(C("data/locked"), fs::perms::none);
  CSelection s;
  {
    test::WithoutFileAccessOverride plainAccess;
    s.ChooseDirectoryTree("C:\\data");
  }
  fs::permissions(C("data/locked"), fs::perms::owner_all);
  EXPECT_EQ(Paths(s), (std::vector<std::string>{"C:\\data\\open", "C:\\data"}));

  CSelection missing;
  missing.ChooseDirectoryTree("C:\\nowhere");
  EXPECT_TRUE(missing.chosenDirectories.empty());
}

TEST_F(SelectionTest, UnchooseKeepsSiblingsThatOnlyShareAPrefix) {
  test::TempWorld::WriteHostFile(C("data/sub/x.txt"), "x");
  test::TempWorld::WriteHostFile(C("database/y.txt"), "y");
  test::TempWorld::WriteHostFile(C("data.txt"), "z");
  CSelection s;
  s.ChooseDirectoryTree("C:\\data");
  s.ChooseDirectoryTree("C:\\database");
  s.ToggleChosenFile("C:\\", "data.txt");
  s.ToggleChosenFile("C:\\data\\sub", "x.txt");
  s.UnchooseDirectoryTree("C:\\data");
  EXPECT_EQ(Paths(s), (std::vector<std::string>{"C:\\database"}));
  EXPECT_EQ(FilePaths(s), (std::vector<std::string>{"C:\\data.txt"}));
  s.UnchooseDirectoryTree("C:\\");
  EXPECT_TRUE(s.NothingChosen());
}

TEST_F(SelectionTest, ToggleAddsWithSizeAndRemovesAgain) {
  test::TempWorld::WriteHostFile(C("data/a.txt"), "12345");
  CSelection s;
  s.ToggleChosenFile("C:\\data", "a.txt");
  s.ToggleChosenFile("C:\\data", "gone.txt");
  ASSERT_EQ(s.chosenFiles.size(), 2u);
  EXPECT_EQ(s.chosenFiles[0].fullPath, "C:\\data\\a.txt");
  EXPECT_EQ(s.chosenFiles[0].directory, "C:\\data");
  EXPECT_EQ(s.chosenFiles[0].name, "a.txt");
  EXPECT_EQ(s.chosenFiles[0].size, 5);
  EXPECT_EQ(s.chosenFiles[1].size, 0);
  s.ToggleChosenFile("C:\\data", "a.txt");
  EXPECT_EQ(FilePaths(s), (std::vector<std::string>{"C:\\data\\gone.txt"}));
}

TEST_F(SelectionTest, SplitTurnsADirectoryIntoFilesButOne) {
  test::TempWorld::WriteHostFile(C("data/a.txt"), "a");
  test::TempWorld::WriteHostFile(C("data/b.txt"), "bb");
  test::TempWorld::WriteHostFile(C("data/c.txt"), "ccc");
  CSelection s;
  s.ChooseDirectoryTree("C:\\data");
  s.chosenDirectories.push_back(ChosenDirectory{"C:\\data\\sub"});
  s.SplitChosenDirectory("C:\\data", "b.txt", {"a.txt", "b.txt", "c.txt"});
  EXPECT_EQ(Paths(s), (std::vector<std::string>{"C:\\data\\sub"}));
  EXPECT_EQ(FilePaths(s), (std::vector<std::string>{"C:\\data\\a.txt", "C:\\data\\c.txt"}));
  EXPECT_EQ(s.chosenFiles[1].size, 3);
  EXPECT_EQ(s.chosenFiles[1].directory, "C:\\data");
}

TEST(SelectionBroadcastTest, SkipsTheSenderAndDetachedViews) {
  struct View : SelectionObserver {
    std::vector<SelectionHint> seen;
    void OnSelectionUpdate(const SelectionHint& hint) override { seen.push_back(hint); }
  };
  CSelection s;
  View tree, list, gone;
  s.AddObserver(&tree);
  s.AddObserver(&list);
  s.AddObserver(&gone);
  s.RemoveObserver(&gone);
  s.UpdateAllViews(&list, SelectionHint::Mark(2));
  s.UpdateAllViews(nullptr, SelectionHint::Directory("C:\\data"));
  ASSERT_EQ(tree.seen.size(), 2u);
  EXPECT_EQ(tree.seen[0].kind, SelectionHint::Kind::Mark);
  EXPECT_EQ(tree.seen[0].mark, 2);
  EXPECT_EQ(tree.seen[1].directory, "C:\\data");
  ASSERT_EQ(list.seen.size(), 1u);
  EXPECT_EQ(list.seen[0].kind, SelectionHint::Kind::Directory);
  EXPECT_TRUE(gone.seen.empty());
}

}  // namespace
}  // namespace arkvale
