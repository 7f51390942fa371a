#include "client/scheduler/ScheduleCheck.h"

#include <cstdio>
#include <utility>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/ScheduleLock.h"
#include "client/settings/ConfigFile.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/Translate.h"
#include "platform/Files.h"

namespace arkvale {

namespace {

// Two starts stay at least twelve hours apart.
constexpr uint32_t kLatestSecondTooSoon = 43199;
// A backup is due while the minutes since the scheduled time, counted across midnight, are
// below ten hours.
constexpr long long kWindowMinutes = 600;
constexpr long long kBeforeMidnightMinutes = -840;

constexpr const char* kWeekdayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                         "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January",   "February", "March",    "April",
                                       "May",       "June",     "July",     "August",
                                       "September", "October",  "November", "December"};

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

// The scheduled day of the month as it stands in a month that is too short for it.
std::string DayInMonth(std::string day, const std::string& month) {
  if (month == "February" && (day == "29" || day == "30" || day == "31")) return "28";
  if ((month == "April" || month == "June" || month == "September" || month == "November") &&
      day == "31") {
    return "30";
  }
  return day;
}

}  // namespace

long long MinutesOfDay(const std::string& hour, const std::string& minute) {
  return static_cast<long long>(LeadingInteger(hour)) * 60 + LeadingInteger(minute);
}

ScheduleMoment MomentAt(std::time_t now) {
  std::tm local{};
  // localtime_r keeps the zone it first met; the user may have changed it since.
  tzset();
  localtime_r(&now, &local);
  ScheduleMoment moment;
  moment.now = now;
  moment.weekday = kWeekdayNames[local.tm_wday];
  moment.hour = TwoDigits(local.tm_hour);
  moment.minute = TwoDigits(local.tm_min);
  moment.day = TwoDigits(local.tm_mday);
  moment.month = kMonthNames[local.tm_mon];
  return moment;
}

bool ScheduleDueAt(const ScheduleSettings& settings, const ScheduleMoment& moment) {
  const long long late =
      MinutesOfDay(moment.hour, moment.minute) - MinutesOfDay(settings.hour, settings.minute);
  bool due = late == 0 || (late > 0 && late < kWindowMinutes) || late < kBeforeMidnightMinutes;
  // The day tests look at today's date, also when the window reaches back into yesterday.
  if (due && settings.frequency == kWeekly) due = WeekdayTicked(settings, moment.weekday);
  if (due && settings.frequency == kMonthly) {
    due = DayInMonth(settings.dayOfMonth, moment.month) == moment.day;
  }
  return due;
}

CScheduleCheck::CScheduleCheck(CArkvaleDoc& doc, Starter start, Clock clock)
    : doc_(doc), start_(std::move(start)), clock_(std::move(clock)) {
  if (!clock_) clock_ = [] { return std::time(nullptr); };
}

void CScheduleCheck::Check() {
  if (scheduleSuspended) return;
  const int lock = AcquireScheduleLock(doc_);
  if (lock == -1) {
    doc_.Log(kLogWarning, "Failed to get lock during check for automatic schedule");
    return;
  }
  CheckHoldingLock();
  ReleaseScheduleLock(doc_, lock);
}

void CScheduleCheck::CheckHoldingLock() {
  const ScheduleMoment moment = MomentAt(clock_());
  std::optional<ScheduleSettings> settings = ReadScheduleFile(doc_.installDirectory);
  if (!settings || !settings->enabled || settings->backupSetPath.empty()) return;
  if (!plat::StatFile(settings->backupSetPath)) {
    // A schedule that can never run says so, once a day rather than every five minutes.
    const std::string day = moment.month + moment.day;
    if (missingSetReported_ != day + settings->backupSetPath) {
      missingSetReported_ = day + settings->backupSetPath;
      doc_.Log(kLogWarning, Tr("ScheduleCheck",
                               "Automatic backup cannot run, its backup file set is missing: ") +
                                settings->backupSetPath);
    }
    return;
  }
  const uint32_t now = static_cast<uint32_t>(moment.now);
  // Unsigned: a last start in the future (clock set back) is far away and lets the start go.
  if (now - ReadLastBackup(doc_.installDirectory) <= kLatestSecondTooSoon) return;
  if (unrecordedStart_ && now - *unrecordedStart_ <= kLatestSecondTooSoon) return;
  scheduleDue_ = ScheduleDueAt(*settings, moment);
  if (!scheduleDue_) return;
  scheduleSuspended = true;
  // Written before the run starts, so a run that ends at once and resets it comes after.
  if (WriteLastBackup(doc_.installDirectory, now)) {
    unrecordedStart_.reset();
  } else {
    // Kept here instead, or every check would start another backup.
    unrecordedStart_ = now;
    doc_.Log(kLogError,
             Tr("ScheduleCheck",
                "The start of the automatic backup could not be written to last_backup"));
  }
  start_(settings->backupSetPath);
  scheduleSuspended = false;
}

}  // namespace arkvale
