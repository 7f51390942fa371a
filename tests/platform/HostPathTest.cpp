#include <gtest/gtest.h>

#include <filesystem>

#include "platform/Drives.h"
#include "platform/Paths.h"
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
  EXPECT_EQ(plat::FromHostPath("/tmp/a\\b.bak"), std::nullopt);
  EXPECT_EQ(plat::FromHostPath("/tmp/a:b.bak"), std::nullopt);
  fs::remove(plat::DosDevicesDir() + "/z:");
  EXPECT_EQ(plat::FromHostPath("/home/ann/set.bak"), std::nullopt);
  EXPECT_EQ(plat::FromHostPath(world.driveC() + "/set.bak"), "C:\\set.bak");
}

}  // namespace
