// The schedule check with a fixed clock: the time window, the day tests, the twelve-hour gate,
// the lock and the retry after a run that could not begin.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/ScheduleCheck.h"
#include "client/scheduler/ScheduleLock.h"
#include "client/session/Session.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RunFlags.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/LogRecords.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/TempWorld.h"
#include "tests/support/UtcTime.h"

namespace arkvale::test {
namespace {

// Local time is UTC here, so a date means the same moment everywhere.
constexpr auto At = UtcTime;

ScheduleSettings Daily(const char* hour, const char* minute) {
  ScheduleSettings s;
  s.enabled = true;
  s.backupSetPath = "C:\\set.bak";
  s.hour = hour;
  s.minute = minute;
  return s;
}

bool DueAt(const ScheduleSettings& s, std::time_t when) { return ScheduleDueAt(s, MomentAt(when)); }

class ScheduleCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    std::filesystem::create_directories(plat::ToHostPath(kInstallDirectory).value_or(""));
    TempWorld::WriteHostFile(plat::ToHostPath("C:\\set.bak").value_or(""), "0\n0\n");
    doc = std::make_unique<CArkvaleDoc>(prompt);
    scheduleSuspended = false;
  }

  // One check object for the whole test, as the main window keeps one.
  void Check(std::time_t when) {
    clockNow = when;
    if (!check) {
      check = std::make_unique<CScheduleCheck>(
          *doc, [this](const std::string& path) { Start(path); }, [this] { return clockNow; });
    }
    check->Check();
  }
  virtual void Start(const std::string& path) { started.push_back(path); }

  std::vector<std::string> LogMessages() const {
    return LogMessagesOf(doc->eventLog.ReadAll(4000));
  }

  TempWorld world;
  RecordingPrompt prompt;
  std::unique_ptr<CArkvaleDoc> doc;
  std::vector<std::string> started;
  std::time_t clockNow = 0;
  std::unique_ptr<CScheduleCheck> check;
};

TEST(ScheduleDueTest, WindowRunsTenHoursAcrossMidnight) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_TRUE(DueAt(Daily("23", "00"), At(2026, 3, 10, 1, 30)));   // -1290
  EXPECT_FALSE(DueAt(Daily("08", "00"), At(2026, 3, 10, 18, 5)));  // 605
  EXPECT_TRUE(DueAt(Daily("08", "00"), At(2026, 3, 10, 8, 0)));
  EXPECT_TRUE(DueAt(Daily("08", "00"), At(2026, 3, 10, 17, 55)));  // 595
  EXPECT_FALSE(DueAt(Daily("08", "00"), At(2026, 3, 10, 7, 55)));
}

TEST(ScheduleDueTest, WeeklyLooksAtTodayEvenAcrossMidnight) {
  setenv("TZ", "UTC", 1);
  tzset();
  ScheduleSettings s = Daily("23", "30");
  s.frequency = kWeekly;
  s.monday = true;
  // 7 December 2026 is a Monday.
  EXPECT_TRUE(DueAt(s, At(2026, 12, 7, 23, 35)));
  EXPECT_FALSE(DueAt(s, At(2026, 12, 8, 0, 10)));
}

TEST(ScheduleDueTest, MonthlyDayBeyondTheMonthFallsOnItsLastDay) {
  setenv("TZ", "UTC", 1);
  tzset();
  ScheduleSettings s = Daily("02", "00");
  s.frequency = kMonthly;
  s.dayOfMonth = "31";
  EXPECT_TRUE(DueAt(s, At(2026, 4, 30, 2, 10)));
  EXPECT_FALSE(DueAt(s, At(2026, 4, 29, 2, 10)));
  EXPECT_TRUE(DueAt(s, At(2026, 2, 28, 2, 10)));
  EXPECT_TRUE(DueAt(s, At(2028, 2, 28, 2, 10)));
  EXPECT_FALSE(DueAt(s, At(2028, 2, 29, 2, 10)));
  EXPECT_TRUE(DueAt(s, At(2026, 1, 31, 2, 10)));
}

TEST_F(ScheduleCheckTest, DueCheckRecordsTheStartThenTheNextCheckStopsAtTheGate) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  const std::time_t first = At(2026, 3, 10, 8, 2);
  Check(first);
  EXPECT_EQ(started, std::vector<std::string>{"C:\\set.bak"});
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), static_cast<uint32_t>(first));
  Check(first + 300);
  EXPECT_EQ(started.size(), 1u);
  EXPECT_FALSE(scheduleSuspended);
  EXPECT_FALSE(plat::FileExists(kScheduleLockPath));
}

TEST_F(ScheduleCheckTest, LastBackupInTheFuturePassesTheGate) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  const std::time_t now = At(2026, 3, 10, 9, 0);
  ASSERT_TRUE(WriteLastBackup(kInstallDirectory, static_cast<uint32_t>(now + 3600)));
  Check(now);
  EXPECT_EQ(started.size(), 1u);
}

TEST_F(ScheduleCheckTest, NothingStartsWhenDisabledWithoutSetOrWithAMissingSet) {
  const std::time_t now = At(2026, 3, 10, 8, 0);
  Check(now);  // no sched.dat
  ScheduleSettings s = Daily("08", "00");
  s.enabled = false;
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, s));
  Check(now);
  s.enabled = true;
  s.backupSetPath = "";
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, s));
  Check(now);
  EXPECT_TRUE(LogMessages().empty());
  // A set that is not there: the schedule can never run, and the log says so once a day.
  s.backupSetPath = "C:\\absent.bak";
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, s));
  Check(now);
  Check(now + 300);
  EXPECT_TRUE(started.empty());
  EXPECT_TRUE(prompt.texts().empty());
  const std::string missing =
      "Automatic backup cannot run, its backup file set is missing: C:\\absent.bak";
  auto log = ParseLogLines(doc->eventLog.ReadAll(4000));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, missing);
  EXPECT_EQ(log[0].level, 1);
  Check(now + 86400);
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{missing, missing}));
}

TEST_F(ScheduleCheckTest, UnwritableLastBackupIsLoggedAndTheGateStillHolds) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  std::filesystem::create_directories(
      plat::ToHostPath(LastBackupPath(kInstallDirectory)).value_or(""));
  const std::time_t first = At(2026, 3, 10, 8, 2);
  Check(first);
  Check(first + 300);
  EXPECT_EQ(started.size(), 1u);
  auto log = ParseLogLines(doc->eventLog.ReadAll(4000));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message,
            "The start of the automatic backup could not be written to last_backup");
  EXPECT_EQ(log[0].level, 2);
  Check(first + 86400);
  EXPECT_EQ(started.size(), 2u);
}

TEST_F(ScheduleCheckTest, AZoneChangeIsSeenByTheNextCheck) {
  const std::time_t eight = At(2026, 3, 10, 8, 0);
  EXPECT_EQ(MomentAt(eight).hour, "08");
  setenv("TZ", "JST-9", 1);  // nothing else tells the program
  EXPECT_EQ(MomentAt(eight).hour, "17");
  setenv("TZ", "UTC", 1);
  tzset();
}

TEST_F(ScheduleCheckTest, HeldLockSkipsTheCheckWithAWarningAndSuspensionSkipsItSilently) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  const int lock = AcquireScheduleLock(*doc);
  ASSERT_NE(lock, -1);
  Check(At(2026, 3, 10, 8, 0));
  ReleaseScheduleLock(*doc, lock);
  EXPECT_TRUE(started.empty());
  auto log = ParseLogLines(doc->eventLog.ReadAll(4000));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, "Failed to get lock during check for automatic schedule");
  EXPECT_EQ(log[0].level, 1);

  scheduleSuspended = true;
  Check(At(2026, 3, 10, 8, 0));
  scheduleSuspended = false;
  EXPECT_TRUE(started.empty());
  EXPECT_EQ(LogMessages().size(), 1u);
}

// The starter runs the automatic backup itself, at once, while the communications lock is busy.
class BusyLockCheckTest : public ScheduleCheckTest {
 protected:
  void SetUp() override {
    ScheduleCheckTest::SetUp();
    session = std::make_unique<CSession>(*doc, mainWindow);
  }
  void Start(const std::string& path) override {
    ScheduleCheckTest::Start(path);
    RunAutomaticBackup(*doc, *session, path);
  }
  RecordingSessionView mainWindow;
  std::unique_ptr<CSession> session;
};

TEST_F(BusyLockCheckTest, RunThatFindsTheLockBusyWrites100AndTheNextCheckStartsAgain) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  const int commsLock = session->AcquireCommsLock();
  ASSERT_NE(commsLock, -1);
  const std::time_t first = At(2026, 3, 10, 8, 0);
  Check(first);
  session->ReleaseCommsLock(commsLock);
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), 100u);
  EXPECT_EQ(LogMessages().back(),
            "m_lock was not free, i.e. communications being used by another thread");
  // Without a configuration the connection fails, which also leaves 100 for the next check.
  Check(first + 300);
  EXPECT_EQ(started.size(), 2u);
  EXPECT_EQ(LogMessages().back(), "Failed to open the configuration file during automatic backup");
  EXPECT_EQ(ReadLastBackup(kInstallDirectory), 100u);
}

TEST_F(BusyLockCheckTest, RunWaitsForAShortExchangeToLetGoOfTheLock) {
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, Daily("08", "00")));
  const int commsLock = session->AcquireCommsLock();
  ASSERT_NE(commsLock, -1);
  // A keep-alive on the same tick holds the lock for a moment.
  std::thread keepAlive([&] { session->ReleaseCommsLock(commsLock); });
  Check(At(2026, 3, 10, 8, 0));
  keepAlive.join();
  EXPECT_EQ(LogMessages(), std::vector<std::string>{
                               "Failed to open the configuration file during automatic backup"});
}

}  // namespace
}  // namespace arkvale::test
