#include "client/scheduler/ScheduleFile.h"

#include <cstdio>
#include <cstdlib>

#include "client/settings/ConfigFile.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/Translate.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"
#include "platform/WindowsNames.h"

namespace arkvale {

namespace {

// The weekday lines, in file order: alphabetical by English name.
struct WeekdayLine {
  const char* name;
  bool ScheduleSettings::*flag;
};
constexpr WeekdayLine kWeekdayLines[] = {
    {"Friday", &ScheduleSettings::friday},      {"Monday", &ScheduleSettings::monday},
    {"Saturday", &ScheduleSettings::saturday},  {"Sunday", &ScheduleSettings::sunday},
    {"Thursday", &ScheduleSettings::thursday},  {"Tuesday", &ScheduleSettings::tuesday},
    {"Wednesday", &ScheduleSettings::wednesday}};

std::string AsLine(const std::string& value) {
  return value.substr(0, value.find_first_of(std::string("\n\0", 2)));
}

}  // namespace

std::string ScheduleFilePath(const std::string& installDirectory) {
  return installDirectory + kScheduleFileName;
}

std::string LastBackupPath(const std::string& installDirectory) {
  return installDirectory + kLastBackupName;
}

std::optional<ScheduleSettings> ReadScheduleFile(const std::string& installDirectory) {
  FILE* stream = plat::OpenStream(ScheduleFilePath(installDirectory), "r");
  if (stream == nullptr) return std::nullopt;
  auto next = [stream] {
    return plat::ReadValueLine(stream, kScheduleLineBuffer).value_or(std::string());
  };
  ScheduleSettings s;
  s.enabled = LeadingInteger(next()) != 0;
  s.backupSetPath = next();
  s.hour = next();
  s.minute = next();
  s.dayOfMonth = next();
  s.frequency = LeadingInteger(next());
  for (const WeekdayLine& line : kWeekdayLines) s.*line.flag = LeadingInteger(next()) != 0;
  std::fclose(stream);
  return s;
}

ScheduleSettings LoadScheduleFile(const std::string& installDirectory) {
  return ReadScheduleFile(installDirectory).value_or(ScheduleSettings{});
}

std::string FormatScheduleFile(const ScheduleSettings& s) {
  std::string out = s.enabled ? "1\n" : "0\n";
  for (const std::string* value : {&s.backupSetPath, &s.hour, &s.minute, &s.dayOfMonth}) {
    out += AsLine(*value);
    out += '\n';
  }
  out += std::to_string(s.frequency);
  out += '\n';
  for (const WeekdayLine& line : kWeekdayLines) out += s.*line.flag ? "1\n" : "0\n";
  return out;
}

bool WriteScheduleFile(const std::string& installDirectory, const ScheduleSettings& settings) {
  return plat::WriteFileAtomically(ScheduleFilePath(installDirectory), FormatScheduleFile(settings),
                                   0600);
}

bool WeekdayTicked(const ScheduleSettings& settings, const std::string& name) {
  for (const WeekdayLine& line : kWeekdayLines) {
    if (name == line.name) return settings.*line.flag;
  }
  return false;
}

uint32_t ReadLastBackup(const std::string& installDirectory) {
  FILE* stream = plat::OpenStream(LastBackupPath(installDirectory), "r");
  if (stream == nullptr) return 0;
  std::string line = plat::ReadTextLine(stream, kScheduleLineBuffer).value_or(std::string());
  std::fclose(stream);
  // Wide enough for every "%u" value; the difference taken later is 32-bit unsigned.
  return static_cast<uint32_t>(std::strtoll(line.c_str(), nullptr, 10));
}

bool WriteLastBackup(const std::string& installDirectory, uint32_t when) {
  return plat::WriteFileAtomically(LastBackupPath(installDirectory), std::to_string(when));
}

std::optional<std::string> ScheduledSetPath(const std::string& typed) {
  // No Windows path starts with a slash; read as one it would land on the current drive.
  if (!typed.starts_with('/')) return typed;
  return plat::FromHostPath(typed);
}

std::string MissingSetText(const std::string& shownPath) {
  return Tr("ScheduleDlg", "The backup file set cannot be found:\n") + shownPath +
         Tr("ScheduleDlg", "\nPlease choose an existing backup file set");
}

bool ScheduledSetPathFits(const std::string& path) {
  return path.size() <= kLongestScheduledSetPath;
}

std::string SetPathTooLongText() {
  return "The path of the backup file set is too long for the schedule (at most " +
         std::to_string(kLongestScheduledSetPath) +
         " characters)\nPlease choose a backup file set with a shorter path";
}

bool ConfirmScheduleSettings(const ScheduleSettings& settings, Prompt& prompt) {
  if (!ScheduledSetPathFits(settings.backupSetPath)) {
    prompt.ShowMessage(SetPathTooLongText(), kCaption, Icon::Warning, Owner::ScheduleDialog);
    return false;
  }
  if (!settings.enabled) return true;
  if (!settings.backupSetPath.empty() && !plat::StatFile(settings.backupSetPath)) {
    prompt.ShowMessage(MissingSetText(plat::HostNameOf(settings.backupSetPath)), kCaption,
                       Icon::Warning, Owner::ScheduleDialog);
    return false;
  }
  if (settings.backupSetPath.empty() &&
      !prompt.AskYesNo(kNoBackupSetQuestion, kCaption, Icon::Question, Owner::ScheduleDialog)) {
    return false;
  }
  const bool anyWeekday = settings.monday || settings.tuesday || settings.wednesday ||
                          settings.thursday || settings.friday || settings.saturday ||
                          settings.sunday;
  if (settings.frequency == kWeekly && !anyWeekday &&
      !prompt.AskYesNo(kNoWeekdayQuestion, kCaption, Icon::Question, Owner::ScheduleDialog)) {
    return false;
  }
  return true;
}

}  // namespace arkvale
