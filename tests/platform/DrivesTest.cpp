#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/Drives.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

using arkvale::test::TempWorld;

constexpr uint32_t Bit(char letter) { return 1u << (letter - 'A'); }

TEST(Drives, DefaultTableLinksCToDriveCAndZToRoot) {
  TempWorld world;
  std::string dosdevices = world.root() + "/dosdevices";
  EXPECT_EQ(plat::DosDevicesDir(), dosdevices);
  EXPECT_EQ(fs::read_symlink(dosdevices + "/c:"), "../drive_c");
  EXPECT_EQ(fs::read_symlink(dosdevices + "/z:"), "/");
  EXPECT_TRUE(fs::is_directory(world.driveC()));
  EXPECT_EQ(plat::DriveHostRoot('C'), world.driveC());
  EXPECT_EQ(plat::DriveHostRoot('c'), world.driveC());
  EXPECT_EQ(plat::DriveHostRoot('z'), "/");
  EXPECT_FALSE(plat::DriveHostRoot('D'));
  EXPECT_FALSE(plat::DriveHostRoot('1'));
}

TEST(Drives, AnExistingTableIsLeftAsTheUserMadeIt) {
  TempWorld world;
  std::string dosdevices = world.root() + "/dosdevices";
  fs::remove(dosdevices + "/z:");
  fs::create_directory_symlink(world.root() + "/elsewhere", dosdevices + "/c:.new");
  plat::EnsureDriveTable();
  EXPECT_FALSE(fs::is_symlink(dosdevices + "/z:"));
  EXPECT_EQ(plat::GetLogicalDrives(), Bit('C'));
  EXPECT_EQ(plat::GetDriveType("Z:\\"), plat::kDriveNoRootDir);
}

TEST(Drives, TableIsCreatedOnFirstUseUnderTheDataRoot) {
  TempWorld world;
  std::string fresh = world.root() + "/nested/data";
  plat::SetDataRoot(fresh);
  EXPECT_EQ(plat::DataRoot(), fresh);
  EXPECT_EQ(plat::DriveHostRoot('C'), fresh + "/drive_c");
  EXPECT_TRUE(fs::is_directory(fresh + "/drive_c"));
  // No temporary table left beside the real one.
  int entries = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(fresh)) {
    (void)entry;
    ++entries;
  }
  EXPECT_EQ(entries, 2);
  plat::SetDataRoot(world.root());
}

TEST(Drives, DataRootFollowsXdgThenHome) {
  TempWorld world;
  std::string savedXdg = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
  std::string savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
  plat::SetDataRoot("");
  setenv("XDG_DATA_HOME", "/xdg/data", 1);
  EXPECT_EQ(plat::DataRoot(), "/xdg/data/arkvale");
  setenv("XDG_DATA_HOME", "relative/ignored", 1);
  setenv("HOME", "/home/ann", 1);
  EXPECT_EQ(plat::DataRoot(), "/home/ann/.local/share/arkvale");
  unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(plat::DataRoot(), "/home/ann/.local/share/arkvale");
  plat::SetDataRoot(world.root());
  EXPECT_EQ(plat::DataRoot(), world.root());
  if (savedXdg.empty()) {
    unsetenv("XDG_DATA_HOME");
  } else {
    setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  }
  setenv("HOME", savedHome.c_str(), 1);
}

TEST(Drives, LogicalDrivesAndTypesComeFromTheTable) {
  TempWorld world;
  std::string dosdevices = world.root() + "/dosdevices";
  EXPECT_EQ(plat::GetLogicalDrives(), Bit('C') | Bit('Z'));
  fs::create_directory(world.root() + "/usb");
  fs::create_directory(world.root() + "/disc");
  fs::create_directory_symlink(world.root() + "/usb", dosdevices + "/e:");
  TempWorld::WriteHostFile(dosdevices + "/e:.type", "removable\n");
  fs::create_directory_symlink("../disc", dosdevices + "/d:");
  TempWorld::WriteHostFile(dosdevices + "/d:.type", "cdrom");
  fs::create_directory_symlink(world.root() + "/unplugged", dosdevices + "/f:");
  TempWorld::WriteHostFile(dosdevices + "/g:.type", "removable");  // a kind without a drive
  TempWorld::WriteHostFile(dosdevices + "/notes", "not a drive");

  EXPECT_EQ(plat::GetLogicalDrives(), Bit('C') | Bit('D') | Bit('E') | Bit('F') | Bit('Z'));
  EXPECT_EQ(plat::GetDriveType("C:\\"), plat::kDriveFixed);
  EXPECT_EQ(plat::GetDriveType("z:\\"), plat::kDriveFixed);
  EXPECT_EQ(plat::GetDriveType("E:\\"), plat::kDriveRemovable);
  EXPECT_EQ(plat::GetDriveType("d:\\"), plat::kDriveCdrom);
  EXPECT_EQ(plat::DriveHostRoot('d'), world.root() + "/disc");
  EXPECT_EQ(plat::GetDriveType("F:\\"), plat::kDriveNoRootDir);
  EXPECT_EQ(plat::GetDriveType("G:\\"), plat::kDriveNoRootDir);
  EXPECT_EQ(plat::GetDriveType("Q:\\"), plat::kDriveNoRootDir);
  EXPECT_EQ(plat::GetDriveType("C:\\Windows"), plat::kDriveNoRootDir);
  EXPECT_EQ(plat::GetDriveType(""), plat::kDriveNoRootDir);
}

}  // namespace
