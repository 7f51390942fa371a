#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/Paths.h"
#include "tests/support/TempWorld.h"

namespace {

using arkvale::test::TempWorld;

TEST(Paths, AbsolutePathsOfEitherCaseAndSeparator) {
  TempWorld world;
  EXPECT_EQ(plat::ToHostPath("C:\\dir\\file.txt"), world.driveC() + "/dir/file.txt");
  EXPECT_EQ(plat::ToHostPath("c:/dir/file.txt"), world.driveC() + "/dir/file.txt");
  EXPECT_EQ(plat::ToHostPath("C:\\Program Files\\Arkvale\\config_file"),
            world.driveC() + "/Program Files/Arkvale/config_file");
  EXPECT_EQ(plat::ToHostPath("C:\\"), world.driveC());
  EXPECT_EQ(plat::ToHostPath("Z:\\home\\ann\\notes.txt"), "/home/ann/notes.txt");
  EXPECT_EQ(plat::ToHostPath("z:\\"), "/");
  EXPECT_EQ(plat::ToHostPath("C:\\a\\.\\b\\\\c\\"), world.driveC() + "/a/b/c");
}

TEST(Paths, DotDotStaysInsideTheDrive) {
  TempWorld world;
  EXPECT_EQ(plat::ToHostPath("C:\\a\\b\\..\\c"), world.driveC() + "/a/c");
  EXPECT_EQ(plat::ToHostPath("C:\\a\\.."), world.driveC());
  EXPECT_FALSE(plat::ToHostPath("C:\\.."));
  EXPECT_FALSE(plat::ToHostPath("C:\\a\\..\\..\\etc\\passwd"));
  EXPECT_FALSE(plat::ToHostPath("c:/../drive_c/x"));
  EXPECT_FALSE(plat::ToHostPath(".."));
  EXPECT_FALSE(plat::ToHostPath("\\.."));
}

TEST(Paths, RefusesEmptyUnknownDriveAndShares) {
  TempWorld world;
  EXPECT_FALSE(plat::ToHostPath(""));
  EXPECT_FALSE(plat::ToHostPath("Q:\\x"));
  EXPECT_FALSE(plat::ToHostPath("\\\\server\\share\\x"));
  EXPECT_FALSE(plat::ToHostPath(std::string("C:\\a\0b", 6)));
}

TEST(Paths, RelativeNamesFollowTheEmulatedCurrentDirectory) {
  TempWorld world;
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\");
  EXPECT_EQ(plat::ToHostPath("temp_index"), world.driveC() + "/temp_index");
  ASSERT_EQ(plat::MakeDirectory("C:\\work"), 0);
  ASSERT_EQ(plat::MakeDirectory("C:\\work\\deep"), 0);
  std::filesystem::path hostCwd = std::filesystem::current_path();

  ASSERT_EQ(plat::ChangeDirectory("c:/work\\deep"), 0);
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\work\\deep");
  EXPECT_EQ(plat::ToHostPath("temp_index"), world.driveC() + "/work/deep/temp_index");
  EXPECT_EQ(plat::ToHostPath("..\\x"), world.driveC() + "/work/x");
  EXPECT_EQ(plat::ToHostPath("\\x"), world.driveC() + "/x");
  EXPECT_EQ(plat::FullWindowsPath("sub\\.\\f"), "C:\\work\\deep\\sub\\f");
  EXPECT_FALSE(plat::ToHostPath("..\\..\\..\\x"));
  EXPECT_EQ(std::filesystem::current_path(), hostCwd);

  ASSERT_EQ(plat::ChangeDirectory(".."), 0);
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\work");
}

TEST(Paths, ChangeDirectoryRefusesMissingAndFiles) {
  TempWorld world;
  TempWorld::WriteHostFile(world.driveC() + "/file", "x");
  EXPECT_EQ(plat::ChangeDirectory("C:\\missing"), -1);
  EXPECT_EQ(errno, ENOENT);
  EXPECT_EQ(plat::ChangeDirectory("C:\\file"), -1);
  EXPECT_EQ(errno, ENOTDIR);
  EXPECT_EQ(plat::ChangeDirectory("C:\\.."), -1);
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\");
}

TEST(Paths, ChangeDriveTakesLetterCodeMinus64) {
  TempWorld world;
  ASSERT_EQ(plat::MakeDirectory("C:\\d"), 0);
  ASSERT_EQ(plat::ChangeDirectory("C:\\d"), 0);
  ASSERT_EQ(plat::ChangeDrive('Z' - 64), 0);
  EXPECT_EQ(plat::GetCurrentDirectory(), "Z:\\");
  EXPECT_EQ(plat::ToHostPath("tmp"), "/tmp");
  // Each drive remembers its own directory.
  ASSERT_EQ(plat::ChangeDrive('C' - 64), 0);
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\d");
  EXPECT_EQ(plat::ToHostPath("C:x"), world.driveC() + "/d/x");

  EXPECT_EQ(plat::ChangeDrive('c' - 64), -1);
  EXPECT_EQ(plat::ChangeDrive(0), -1);
  EXPECT_EQ(plat::ChangeDrive(27), -1);
  EXPECT_EQ(plat::ChangeDrive('Q' - 64), -1);
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\d");
}

TEST(Paths, MakeDirectoryReportsExisting) {
  TempWorld world;
  EXPECT_EQ(plat::MakeDirectory("C:\\new"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(world.driveC() + "/new"));
  EXPECT_EQ(plat::MakeDirectory("C:\\new"), -1);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(plat::MakeDirectory("C:\\none\\new"), -1);
  EXPECT_EQ(errno, ENOENT);
}

TEST(Paths, NewDataRootStartsAtDriveCRoot) {
  {
    TempWorld first;
    ASSERT_EQ(plat::ChangeDrive('Z' - 64), 0);
  }
  TempWorld second;
  EXPECT_EQ(plat::GetCurrentDirectory(), "C:\\");
}

}  // namespace
