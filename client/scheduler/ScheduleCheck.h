#pragma once
// The five-minute schedule check: decides from sched.dat, the clock and last_backup whether the
// automatic backup is due, and starts it. Runs on the user-interface thread.
#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "client/scheduler/ScheduleFile.h"

namespace arkvale {

class CArkvaleDoc;

// Minutes since midnight of an hour and a minute text ("07", "30").
// Wide, so a hand-edited file with huge numbers cannot overflow it.
long long MinutesOfDay(const std::string& hour, const std::string& minute);

// What the check reads from the clock: English names whatever the locale, two-digit fields.
struct ScheduleMoment {
  std::time_t now = 0;
  std::string weekday;  // "Sunday" ... "Saturday"
  std::string hour;
  std::string minute;
  std::string day;
  std::string month;  // "January" ... "December"
};
ScheduleMoment MomentAt(std::time_t now);

// The time window and the day test for settings at moment.
bool ScheduleDueAt(const ScheduleSettings& settings, const ScheduleMoment& moment);

class CScheduleCheck {
 public:
  // Seconds since 1970; local time is taken from it. A null clock is the system's.
  using Clock = std::function<std::time_t()>;
  // Starts the automatic backup of a backup set (on a worker thread).
  using Starter = std::function<void(const std::string& backupSetPath)>;

  CScheduleCheck(CArkvaleDoc& doc, Starter start, Clock clock = nullptr);

  // ScheduleCheck: one tick of timer 3.
  void Check();
  // The due test of the latest check that got that far.
  bool scheduleDue() const { return scheduleDue_; }

 private:
  void CheckHoldingLock();

  CArkvaleDoc& doc_;
  Starter start_;
  Clock clock_;
  bool scheduleDue_ = false;
  // The day and backup set of the latest report of a missing set.
  std::string missingSetReported_;
  // The latest start last_backup could not record; the twelve-hour gate also holds for it.
  std::optional<uint32_t> unrecordedStart_;
};

}  // namespace arkvale
