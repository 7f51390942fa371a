#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "client/settings/StartupRegistration.h"
#include "platform/Drives.h"
#include "platform/StartupRegistration.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

class StartupRegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_ = world_.root() + "/config";
    ::setenv("XDG_CONFIG_HOME", config_.c_str(), 1);
  }
  void TearDown() override {
    std::error_code absent;
    std::filesystem::permissions(config_, std::filesystem::perms::owner_all, absent);
    ::unsetenv("XDG_CONFIG_HOME");
  }
  test::TempWorld world_;
  std::string config_;
  test::RecordingPrompt prompt_;
};

TEST_F(StartupRegistrationTest, AddWritesAnEntryThatStartsTheInstalledProgram) {
  SetStartupRegistration(true, prompt_, Owner::ConfigDialog);
  EXPECT_TRUE(prompt_.texts().empty());
  EXPECT_EQ(plat::AutostartEntryPath(), config_ + "/autostart/arkvale.desktop");
  const std::string entry = test::TempWorld::ReadHostFile(plat::AutostartEntryPath());
  EXPECT_NE(entry.find("Exec=\"" + world_.driveC() + "/Program Files/Arkvale/arkvale.exe\"\n"),
            std::string::npos)
      << entry;
  EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);

  SetStartupRegistration(false, prompt_, Owner::ConfigDialog);
  EXPECT_TRUE(prompt_.texts().empty());
  EXPECT_FALSE(plat::HasStartupEntry());
}

TEST_F(StartupRegistrationTest, ExecQuotesAPathWithCharactersTheQuotingReserves) {
  // Reserved characters inside quotes take a backslash, and every backslash is then doubled
  // again by the entry's string escapes: a literal backslash is four, a dollar sign two and one.
  const std::string odd = world_.root() + "/a\\b$c";
  plat::SetDataRoot(odd);
  plat::EnsureDriveTable();
  SetStartupRegistration(true, prompt_, Owner::ConfigDialog);
  plat::SetDataRoot(world_.root());
  const std::string entry = test::TempWorld::ReadHostFile(plat::AutostartEntryPath());
  EXPECT_NE(entry.find("Exec=\"" + world_.root() +
                       "/a\\\\\\\\b\\\\$c/drive_c/Program Files/Arkvale/arkvale.exe\"\n"),
            std::string::npos)
      << entry;
}

TEST_F(StartupRegistrationTest, APathWithALineBreakIsRefusedAndNothingWritten) {
  plat::SetDataRoot(world_.root() + "/a\nb");
  plat::EnsureDriveTable();
  SetStartupRegistration(true, prompt_, Owner::ConfigDialog);
  plat::SetDataRoot(world_.root());
  EXPECT_EQ(prompt_.texts(), std::vector<std::string>{"Error opening key in registry"});
  EXPECT_FALSE(plat::HasStartupEntry());
}

TEST_F(StartupRegistrationTest, FailuresGetTheirOwnPlainBoxes) {
  // Never set: nothing to remove.
  SetStartupRegistration(false, prompt_, Owner::Wizard);
  std::filesystem::create_directories(config_ + "/autostart");
  SetStartupRegistration(false, prompt_, Owner::Wizard);
  if (::geteuid() != 0) {
    ::chmod(config_.c_str(), 0500);
    ::chmod((config_ + "/autostart").c_str(), 0500);
    SetStartupRegistration(false, prompt_, Owner::Wizard);
    ::rmdir((config_ + "/autostart").c_str());
    SetStartupRegistration(true, prompt_, Owner::Wizard);
  }
  std::vector<std::string> expected{"Failed to remove arkvale from startup list in registry",
                                    "Failed to remove arkvale from startup list in registry"};
  if (::geteuid() != 0) {
    expected.push_back("Failure");
    expected.push_back("Error opening key in registry");
  }
  EXPECT_EQ(prompt_.texts(), expected);
  for (const test::ShownBox& box : prompt_.boxes()) {
    EXPECT_EQ(box.caption, "arkvale");
    EXPECT_EQ(box.icon, Icon::None);
    EXPECT_EQ(box.owner, Owner::Wizard);
  }
}

TEST_F(StartupRegistrationTest, AFileInPlaceOfTheDirectoryCannotBeWritten) {
  test::TempWorld::WriteHostFile(config_ + "/autostart", "not a directory");
  SetStartupRegistration(true, prompt_, Owner::ConfigDialog);
  EXPECT_EQ(prompt_.texts(), std::vector<std::string>{"Error opening key in registry"});
}

}  // namespace
}  // namespace arkvale
