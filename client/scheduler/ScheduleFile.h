#pragma once
// The schedule settings and their file sched.dat (thirteen lines, weekdays in alphabetical order
// of their English names), and last_backup, the time of the last automatic start.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "client/settings/Prompt.h"

namespace arkvale {

// Lines are read into a buffer of this size, line end stripped.
inline constexpr std::size_t kScheduleLineBuffer = 100;
// The longest backup set path a line can carry: a longer one would push its line end into the
// next line and shift every setting after it.
inline constexpr std::size_t kLongestScheduledSetPath = kScheduleLineBuffer - 2;

inline constexpr int kDaily = 0;
inline constexpr int kWeekly = 1;
inline constexpr int kMonthly = 2;

struct ScheduleSettings {
  bool enabled = false;
  std::string backupSetPath;
  std::string hour = "01";
  std::string minute = "00";
  std::string dayOfMonth = "01";
  int frequency = kDaily;
  bool monday = false;
  bool tuesday = false;
  bool wednesday = false;
  bool thursday = false;
  bool friday = false;
  bool saturday = false;
  bool sunday = false;

  bool operator==(const ScheduleSettings&) const = default;
};

std::string ScheduleFilePath(const std::string& installDirectory);
std::string LastBackupPath(const std::string& installDirectory);

// nullopt when the file cannot be opened; a line the file lacks reads as empty (0, off).
std::optional<ScheduleSettings> ReadScheduleFile(const std::string& installDirectory);
// As above, with the defaults when the file cannot be opened.
ScheduleSettings LoadScheduleFile(const std::string& installDirectory);
// The exact bytes of the file; a string ends at a NUL or a line break.
std::string FormatScheduleFile(const ScheduleSettings& settings);
// Replaces the file (owner-only) so that a crash leaves the old or the new one; false on failure.
bool WriteScheduleFile(const std::string& installDirectory, const ScheduleSettings& settings);

// Whether the weekday called name ("Monday" ... "Sunday") is ticked.
bool WeekdayTicked(const ScheduleSettings& settings, const std::string& name);

// The number in last_backup, as a 32-bit unsigned value; 0 when the file is missing.
uint32_t ReadLastBackup(const std::string& installDirectory);
bool WriteLastBackup(const std::string& installDirectory, uint32_t when);

inline constexpr const char* kNoBackupSetQuestion =
    "You have enabled automatic backup, but have not chosen a backup file set\nDo you really want "
    "to close this dialog before chosing a backup file set?";
inline constexpr const char* kNoWeekdayQuestion =
    "You have enabled automatic backup for specific days of the week, but have not chosen any "
    "weekdays\nDo you really want to close this dialog before chosing specific weekdays?";

// The backup set as the schedule keeps it: a host path typed as such ("/home/ann/daily.bak", as
// every file dialog of the host shows it) in its Windows form, as Browse gives it; any other text
// unchanged. nullopt for a host path with no Windows form.
std::optional<std::string> ScheduledSetPath(const std::string& typed);
// The text shown for a scheduled backup set that is not there.
std::string MissingSetText(const std::string& shownPath);

// Whether the schedule file can carry path as its backup set (short enough, one line).
bool ScheduledSetPathFits(const std::string& path);
// The text shown when it cannot.
std::string SetPathTooLongText();

// The checks of the dialog's OK: a backup set that must exist when automatic backup is on, then
// the two questions, asked of the schedule dialog; true when the dialog may close.
bool ConfirmScheduleSettings(const ScheduleSettings& settings, Prompt& prompt);

}  // namespace arkvale
