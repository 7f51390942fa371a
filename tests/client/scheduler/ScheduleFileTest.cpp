// The schedule file and last_backup as bytes on disk, and the checks of the dialog's OK.
#include <gtest/gtest.h>

#include <filesystem>

#include "client/scheduler/ScheduleFile.h"
#include "client/settings/InstallPaths.h"
#include "platform/Paths.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {
namespace {

class ScheduleFileTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(Host("")); }
  static std::string Host(const char* name) {
    return plat::ToHostPath(std::string(kInstallDirectory) + name).value_or("");
  }
  TempWorld world;
};

TEST_F(ScheduleFileTest, WeeklyTuesdayAndFridayWriteLinesSevenAndTwelve) {
  ScheduleSettings s;
  s.enabled = true;
  s.backupSetPath = "C:\\sets\\daily.bak";
  s.hour = "23";
  s.minute = "05";
  s.dayOfMonth = "17";
  s.frequency = kWeekly;
  s.tuesday = true;
  s.friday = true;
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, s));
  EXPECT_EQ(TempWorld::ReadHostFile(Host("\\sched.dat")),
            "1\nC:\\sets\\daily.bak\n23\n05\n17\n1\n1\n0\n0\n0\n0\n1\n0\n");
  EXPECT_EQ(ReadScheduleFile(kInstallDirectory), s);
}

TEST_F(ScheduleFileTest, MissingFileGivesTheDefaultsAndShortFileReadsEmpty) {
  EXPECT_FALSE(ReadScheduleFile(kInstallDirectory));
  const ScheduleSettings defaults = LoadScheduleFile(kInstallDirectory);
  EXPECT_FALSE(defaults.enabled);
  EXPECT_EQ(defaults.backupSetPath, "");
  EXPECT_EQ(defaults.hour, "01");
  EXPECT_EQ(defaults.minute, "00");
  EXPECT_EQ(defaults.dayOfMonth, "01");
  EXPECT_EQ(defaults.frequency, kDaily);

  TempWorld::WriteHostFile(Host("\\sched.dat"), "7\nC:\\a.bak\n");
  auto read = ReadScheduleFile(kInstallDirectory);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->enabled);  // any non-zero number
  EXPECT_EQ(read->backupSetPath, "C:\\a.bak");
  EXPECT_EQ(read->hour, "");
  EXPECT_EQ(read->frequency, 0);
}

TEST_F(ScheduleFileTest, HandEditedFileReadsLikeOneWrittenHere) {
  // A byte-order mark, doubled CRs and no line end after Wednesday.
  TempWorld::WriteHostFile(Host("\\sched.dat"),
                           "\xEF\xBB\xBF"
                           "1\r\r\nC:\\a.bak\r\r\n08\r\n05\n01\n1\n0\n0\n0\n0\n0\n0\n1");
  auto read = ReadScheduleFile(kInstallDirectory);
  ASSERT_TRUE(read);
  EXPECT_TRUE(read->enabled);
  EXPECT_EQ(read->backupSetPath, "C:\\a.bak");
  EXPECT_EQ(read->hour, "08");
  EXPECT_TRUE(read->wednesday);
}

TEST_F(ScheduleFileTest, LongestPathThatFitsSurvivesAndOneMoreIsRefused) {
  ScheduleSettings s;
  s.backupSetPath = "C:\\" + std::string(kLongestScheduledSetPath - 3, 'p');
  ASSERT_TRUE(ScheduledSetPathFits(s.backupSetPath));
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, s));
  EXPECT_EQ(ReadScheduleFile(kInstallDirectory), s);
  EXPECT_FALSE(ScheduledSetPathFits(s.backupSetPath + "p"));

  RecordingPrompt prompt;
  s.backupSetPath += "p";
  EXPECT_FALSE(ConfirmScheduleSettings(s, prompt));
  ASSERT_EQ(prompt.texts(), std::vector<std::string>{SetPathTooLongText()});
}

TEST_F(ScheduleFileTest, LastBackupIsUnsignedWithoutLineEndAndMissingCountsAsZero) {
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), 0u);
  ASSERT_TRUE(WriteLastBackup(kInstallDirectory, 4000000000u));
  EXPECT_EQ(TempWorld::ReadHostFile(Host("\\last_backup")), "4000000000");
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), 4000000000u);
}

TEST_F(ScheduleFileTest, EnabledWeeklyWithoutSetOrWeekdayAsksBothQuestionsInTurn) {
  ScheduleSettings s;
  s.enabled = true;
  s.frequency = kWeekly;
  RecordingPrompt prompt;
  EXPECT_TRUE(ConfirmScheduleSettings(s, prompt));
  const auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, kNoBackupSetQuestion);
  EXPECT_EQ(boxes[1].text, kNoWeekdayQuestion);
  for (const auto& box : boxes) {
    EXPECT_TRUE(box.question);
    EXPECT_EQ(box.icon, Icon::Question);
    EXPECT_EQ(box.caption, "Arkvale");
    EXPECT_EQ(box.owner, Owner::ScheduleDialog);
  }

  RecordingPrompt firstNo;
  firstNo.QueueAnswer(false);
  EXPECT_FALSE(ConfirmScheduleSettings(s, firstNo));
  EXPECT_EQ(firstNo.texts().size(), 1u);

  RecordingPrompt secondNo;
  secondNo.QueueAnswer(true);
  secondNo.QueueAnswer(false);
  EXPECT_FALSE(ConfirmScheduleSettings(s, secondNo));

  s.enabled = false;
  RecordingPrompt off;
  EXPECT_TRUE(ConfirmScheduleSettings(s, off));
  EXPECT_TRUE(off.texts().empty());
}

}  // namespace
}  // namespace arkvale::test
