#pragma once
// The configuration file shared by the main program and the wizard: eight lines in a fixed
// order, read with fixed-size line buffers that strip each line's end, and the run_minimized flag
// file whose mere presence is a setting.
#include <cstddef>
#include <optional>
#include <string>

#include "client/settings/Prompt.h"

namespace arkvale {

class EventLog;

// Line buffers of the reading rule: 100 bytes for lines 1 and 2, 2000 for the others.
inline constexpr std::size_t kShortLineBuffer = 100;
inline constexpr std::size_t kLongLineBuffer = 2000;
// The longest value of lines 1 and 2 (and of lines 3 to 8) that survives a save and a load: a
// longer one fills the buffer and pushes its newline into the next line.
inline constexpr std::size_t kShortValueRoundTrip = kShortLineBuffer - 2;
inline constexpr std::size_t kLongValueRoundTrip = kLongLineBuffer - 2;
// The server name's line is long, but the programs hold the name in a 100-byte field.
inline constexpr std::size_t kLongestServerName = 99;

inline constexpr const char* kConfigWriteError = "Error opening the configuration file for writing";
inline constexpr const char* kWizardCaption = "Arkvale Configuration Wizard";

// The eight lines, in file order. Flags are 1 or 0.
struct ConfigSettings {
  std::string userName;
  std::string password;
  std::string encryptionKey;
  std::string serverName;
  int logFilesToKeep = 5;
  int trayIcon = 1;
  int minimizedWindow = 0;
  int runOnStartup = 0;

  bool operator==(const ConfigSettings&) const = default;
};

std::string ConfigFilePath(const std::string& installDirectory);
std::string RunMinimizedPath(const std::string& installDirectory);

// The reading rule applied to all eight lines; nullopt when the file cannot be opened. A line
// the file does not have reads as an empty string, 0 or flag 0.
std::optional<ConfigSettings> ReadConfigFile(const std::string& installDirectory);
// As above, with the defaults (empty strings, 5, 1, 0, 0) when the file cannot be opened.
ConfigSettings LoadConfigFile(const std::string& installDirectory);

// The exact bytes of the writing rule: "%s\n" for the strings, "%d\n" for the count, "1\n" or
// "0\n" for each flag. A string is written up to a NUL or a line break.
std::string FormatConfigFile(const ConfigSettings& settings);

// How a writer reports a file it cannot write: the log (null for the wizard, which keeps none)
// at level 2 and a message box with the given caption and the error icon.
struct ConfigWriteReport {
  Prompt& prompt;
  std::string caption = kCaption;
  Owner owner = Owner::MainWindow;
  EventLog* log = nullptr;
};

// Replaces the configuration file (created 0600: it holds the password) so that a crash leaves
// the old or the new file. Reports and returns false when it cannot be written.
bool SaveConfigFile(const std::string& installDirectory, const ConfigSettings& settings,
                    const ConfigWriteReport& report);

// The run_minimized flag file: set creates it empty, clear removes it (a missing file is fine).
bool RunMinimizedFlagSet(const std::string& installDirectory);
bool SetRunMinimizedFlag(const std::string& installDirectory, bool on);

// The decimal conversion of a leading integer ("12abc" is 12, "x" is 0); values beyond the range
// of int are held at its limits.
int LeadingInteger(const std::string& text);

}  // namespace arkvale
