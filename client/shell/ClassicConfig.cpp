#include "client/shell/ClassicConfig.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "client/document/ArkvaleDoc.h"
#include "client/settings/StartupRegistration.h"

namespace arkvale {
namespace {

bool Blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

ClassicConfig LoadClassicConfig(const std::string& installDirectory) {
  ClassicConfig values;
  if (std::optional<ConfigSettings> read = ReadConfigFile(installDirectory)) {
    values.settings = *read;
    values.runMinimized = RunMinimizedFlagSet(installDirectory) ? 1 : 0;
  }
  return values;
}

LogCountCheck CheckLogCount(const std::string& typed) {
  std::size_t begin = 0;
  std::size_t end = typed.size();
  while (begin < end && Blank(typed[begin])) ++begin;
  while (end > begin && Blank(typed[end - 1])) --end;
  const std::string number = typed.substr(begin, end - begin);
  const std::size_t sign = !number.empty() && (number[0] == '-' || number[0] == '+') ? 1 : 0;
  const bool allDigits =
      sign < number.size() && number.find_first_not_of("0123456789", sign) == std::string::npos;
  errno = 0;
  const long value = allDigits ? std::strtol(number.c_str(), nullptr, 10) : 0;
  if (!allDigits || errno == ERANGE || value < INT_MIN || value > INT_MAX) {
    return {std::nullopt, kEnterIntegerText};
  }
  if (value < kLogCountMin || value > kLogCountMax) return {std::nullopt, kEnterIntegerRangeText};
  return {static_cast<int>(value), {}};
}

bool SaveClassicConfig(CArkvaleDoc& doc, const ClassicConfig& values, int loadedRunOnStartup,
                       const std::function<void()>& removeTrayIcon) {
  Prompt& prompt = doc.prompt();
  if (!SaveConfigFile(doc.installDirectory, values.settings,
                      {prompt, kCaption, Owner::ConfigDialog, &doc.eventLog})) {
    return false;
  }
  SetRunMinimizedFlag(doc.installDirectory, values.runMinimized != 0);
  // The log count the document read at start-up stays: nothing uses it while the program runs.
  doc.ApplySavedSettings(values.settings);
  if (values.settings.trayIcon == 0 && removeTrayIcon) removeTrayIcon();
  if ((values.settings.runOnStartup != 0) != (loadedRunOnStartup != 0)) {
    SetStartupRegistration(values.settings.runOnStartup != 0, prompt, Owner::ConfigDialog);
  }
  return true;
}

}  // namespace arkvale
