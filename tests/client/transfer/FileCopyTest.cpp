#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "client/settings/EventLog.h"
#include "client/transfer/FileCopy.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

class FileCopyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(world.driveC() + "/Program Files/Arkvale");
    log.Open("C:\\Program Files\\Arkvale", prompt);
  }
  std::vector<std::string> Messages() const { return test::LogMessagesOf(log.ReadAll(2000)); }
  std::string C(const std::string& rel) { return world.driveC() + "/" + rel; }

  test::TempWorld world;
  test::RecordingPrompt prompt;
  EventLog log;
};

TEST_F(FileCopyTest, CopiesEveryByteIntoAPrivateFile) {
  std::string content;
  for (int i = 0; i < 2500; ++i) content += static_cast<char>(i % 256);
  test::TempWorld::WriteHostFile(C("src.bin"), content);
  ASSERT_EQ(my_file_copy("C:\\src.bin", "C:\\copy", prompt, log, Owner::BackupDialog), 0);
  EXPECT_EQ(test::TempWorld::ReadHostFile(C("copy")), content);
  struct stat st {};
  ASSERT_EQ(::stat(C("copy").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(FileCopyTest, OpenFailuresAreLoggedOnly) {
  EXPECT_EQ(my_file_copy("C:\\absent", "C:\\copy", prompt, log, Owner::BackupDialog), 1);
  test::TempWorld::WriteHostFile(C("src"), "x");
  EXPECT_EQ(my_file_copy("C:\\src", "C:\\no dir\\copy", prompt, log, Owner::BackupDialog), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{
                "Failed to open file: C:\\absent for reading during my_file_copy",
                "Failed to open file: C:\\no dir\\copy for writing during my_file_copy"}));
  EXPECT_TRUE(prompt.boxes().empty());
}

TEST_F(FileCopyTest, ADeviceIsNoFileToCopy) {
  // A backup set line may name anything; /dev/zero would fill drive C: and never end.
  EXPECT_EQ(my_file_copy("Z:\\dev\\null", "C:\\copy", prompt, log, Owner::MainWindow), 1);
  EXPECT_EQ(Messages(), std::vector<std::string>{
                            "Failed to open file: Z:\\dev\\null for reading during my_file_copy"});
  EXPECT_FALSE(plat::FileExists("C:\\copy"));
}

TEST_F(FileCopyTest, ReadErrorIsShownAndTheCopyRemoved) {
  std::filesystem::create_directories(C("a directory"));
  EXPECT_EQ(my_file_copy("C:\\a directory", "C:\\copy", prompt, log, Owner::MainWindow), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Problem reading file", "Error while copying file"}));
  auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Problem reading file");
  EXPECT_EQ(boxes[0].icon, Icon::Warning);
  EXPECT_EQ(boxes[0].owner, Owner::MainWindow);
  EXPECT_FALSE(plat::FileExists("C:\\copy"));
}

TEST_F(FileCopyTest, WriteErrorIsShownAndTheCopyRemoved) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  test::TempWorld::WriteHostFile(C("src"), std::string(5000, 'x'));
  std::filesystem::create_symlink("/dev/full", C("full"));
  EXPECT_EQ(my_file_copy("C:\\src", "C:\\full", prompt, log, Owner::BackupDialog), 1);
  EXPECT_EQ(Messages(),
            (std::vector<std::string>{"Problem writing file", "Error while copying file"}));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{"Problem writing file"});
}

}  // namespace
}  // namespace arkvale
