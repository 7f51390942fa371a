#include "client/settings/ConfigFile.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "client/settings/EventLog.h"
#include "client/settings/InstallPaths.h"
#include "platform/Files.h"
#include "platform/TextFile.h"

namespace arkvale {

namespace {

// "%s" stops at a NUL; so does the written value. It also stops at a line break, as a one-line
// edit field takes pasted text: the rest could never be read back as this value, and every later
// line would be read as the setting before it.
std::string AsLine(const std::string& value) {
  return value.substr(0, value.find_first_of(std::string("\n\0", 2)));
}

class LineReader {
 public:
  explicit LineReader(FILE* stream) : stream_(stream) {}
  std::string Next(std::size_t bufferSize) {
    return plat::ReadValueLine(stream_, bufferSize).value_or(std::string());
  }

 private:
  FILE* stream_;
};

int Flag(const std::string& text) { return text == "1" ? 1 : 0; }

}  // namespace

std::string ConfigFilePath(const std::string& installDirectory) {
  return installDirectory + kConfigFileName;
}

std::string RunMinimizedPath(const std::string& installDirectory) {
  return installDirectory + kRunMinimizedName;
}

int LeadingInteger(const std::string& text) {
  long value = std::strtol(text.c_str(), nullptr, 10);
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}

std::optional<ConfigSettings> ReadConfigFile(const std::string& installDirectory) {
  FILE* stream = plat::OpenStream(ConfigFilePath(installDirectory), "r");
  if (stream == nullptr) return std::nullopt;
  LineReader lines(stream);
  ConfigSettings s;
  s.userName = lines.Next(kShortLineBuffer);
  s.password = lines.Next(kShortLineBuffer);
  s.encryptionKey = lines.Next(kLongLineBuffer);
  s.serverName = lines.Next(kLongLineBuffer);
  s.logFilesToKeep = LeadingInteger(lines.Next(kLongLineBuffer));
  s.trayIcon = Flag(lines.Next(kLongLineBuffer));
  s.minimizedWindow = Flag(lines.Next(kLongLineBuffer));
  s.runOnStartup = Flag(lines.Next(kLongLineBuffer));
  std::fclose(stream);
  return s;
}

ConfigSettings LoadConfigFile(const std::string& installDirectory) {
  return ReadConfigFile(installDirectory).value_or(ConfigSettings{});
}

std::string FormatConfigFile(const ConfigSettings& s) {
  std::string out;
  for (const std::string* value : {&s.userName, &s.password, &s.encryptionKey, &s.serverName}) {
    out += AsLine(*value);
    out += '\n';
  }
  out += std::to_string(s.logFilesToKeep);
  out += '\n';
  for (int flag : {s.trayIcon, s.minimizedWindow, s.runOnStartup}) out += flag ? "1\n" : "0\n";
  return out;
}

bool SaveConfigFile(const std::string& installDirectory, const ConfigSettings& settings,
                    const ConfigWriteReport& report) {
  if (plat::WriteFileAtomically(ConfigFilePath(installDirectory), FormatConfigFile(settings),
                                0600)) {
    return true;
  }
  if (report.log != nullptr) report.log->Write(2, kConfigWriteError);
  report.prompt.ShowMessage(kConfigWriteError, report.caption, Icon::Error, report.owner);
  return false;
}

bool RunMinimizedFlagSet(const std::string& installDirectory) {
  return plat::FileExists(RunMinimizedPath(installDirectory));
}

bool SetRunMinimizedFlag(const std::string& installDirectory, bool on) {
  const std::string path = RunMinimizedPath(installDirectory);
  if (on) return plat::WriteFileAtomically(path, std::string());
  return plat::RemoveFile(path) == 0 || !plat::FileExists(path);
}

}  // namespace arkvale
