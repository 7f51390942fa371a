#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Drives.h"
#include "platform/Paths.h"
#include "platform/WindowsNames.h"
#include "tests/support/TempWorld.h"

namespace fs = std::filesystem;

namespace {

TEST(HostPathTest, TheClosestDriveNamesAHostFile) {
  arkvale::test::TempWorld world;
  EXPECT_EQ(plat::FromHostPath("/home/ann/set.bak"), "Z:\\home\\ann\\set.bak");
  EXPECT_EQ(plat::FromHostPath(world.driveC() + "/sets/set.bak"), "C:\\sets\\set.bak");
  EXPECT_EQ(plat::FromHostPath(world.driveC()), "C:\\");
  EXPECT_EQ(plat::FromHostPath(world.driveC() + "/a/../b/./c.bak"), "C:\\b\\c.bak");
  EXPECT_EQ(plat::ToHostPath(*plat::FromHostPath(world.driveC() + "/x/y.bak")),
            world.driveC() + "/x/y.bak");
}

TEST(HostPathTest, RefusesWhatNoDriveCanName) {
  arkvale::test::TempWorld world;
  EXPECT_EQ(plat::FromHostPath("relative/set.bak"), std::nullopt);
  EXPECT_EQ(plat::FromHostPath(""), std::nullopt);
  // Its Windows form would turn back into "a:b.bak".
  EXPECT_EQ(plat::FromHostPath("/tmp/a\xef\x80\xba"
                               "b.bak"),
            std::nullopt);
  fs::remove(plat::DosDevicesDir() + "/z:");
  EXPECT_EQ(plat::FromHostPath("/home/ann/set.bak"), std::nullopt);
  EXPECT_EQ(plat::FromHostPath(world.driveC() + "/set.bak"), "C:\\set.bak");
}

TEST(HostPathTest, ForbiddenCharactersTravelAsPrivateUseCharacters) {
  arkvale::test::TempWorld world;
  const std::string host = world.driveC() + "/at 10:30/what?<|>\"*\\\x01.txt";
  const std::string windows =
      "C:\\at 10\xef\x80\xba"
      "30\\what\xef\x80\xbf\xef\x80\xbc\xef\x81\xbc\xef\x80\xbe"
      "\xef\x80\xa2\xef\x80\xaa\xef\x81\x9c\xef\x80\x81.txt";
  EXPECT_EQ(plat::FromHostPath(host), windows);
  EXPECT_EQ(plat::ToHostPath(windows), host);
  EXPECT_EQ(plat::HostNameOf(windows), "C:\\at 10:30\\what?<|>\"*\\\x01.txt");
  EXPECT_TRUE(plat::CarriesAsWindowsName("caf\xc3\xa9 \xef\x80\x80"));
  EXPECT_FALSE(plat::CarriesAsWindowsName("a\xef\x80\xbf"));
}

}  // namespace
