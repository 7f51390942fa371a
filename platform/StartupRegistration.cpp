#include "platform/StartupRegistration.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>

#include "platform/HostFiles.h"
#include "platform/Install.h"
#include "platform/Paths.h"

namespace plat {

namespace {

std::string AutostartDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return host::Join(config, "autostart");
  const char* home = std::getenv("HOME");
  return host::Join(host::Join(home != nullptr ? home : "/", ".config"), "autostart");
}

// Exec of a desktop entry: the path quoted, with the characters that quoting reserves escaped.
// The entry's string escapes are undone before the quoting, so each backslash is written twice.
std::string QuotedExec(const std::string& hostPath) {
  std::string quoted = "\"";
  for (char c : hostPath) {
    if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += "\\\\";
    if (c == '%') quoted += '%';
    quoted += c == '\\' ? "\\\\" : std::string(1, c);
  }
  return quoted + "\"";
}

}  // namespace

std::string AutostartEntryPath() { return host::Join(AutostartDirectory(), "arkvale.desktop"); }

StartupResult AddStartupEntry() {
  std::optional<std::string> program = ToHostPath(std::string(kInstallDirectory) + "\\arkvale.exe");
  // An entry is read line by line: a line break in the path would cut its Exec short.
  if (!program || program->find_first_of("\r\n") != std::string::npos ||
      !host::MakeDirectories(AutostartDirectory())) {
    return StartupResult::kCannotOpen;
  }
  std::string entry =
      "[Desktop Entry]\n"
      "Type=Application\n"
      "Name=Arkvale\n"
      "Comment=Backs up your chosen files to your Arkvale account\n"
      "Exec=" +
      QuotedExec(*program) +
      "\n"
      "Icon=arkvale\n"
      "Terminal=false\n"
      "X-GNOME-Autostart-enabled=true\n";
  return host::WriteAtomically(AutostartEntryPath(), entry, 0644) ? StartupResult::kOk
                                                                  : StartupResult::kCannotOpen;
}

StartupResult RemoveStartupEntry() {
  if (::access(AutostartDirectory().c_str(), W_OK | X_OK) != 0) {
    return errno == ENOENT ? StartupResult::kCannotRemove : StartupResult::kCannotOpenForRemoval;
  }
  return ::unlink(AutostartEntryPath().c_str()) == 0 ? StartupResult::kOk
                                                     : StartupResult::kCannotRemove;
}

bool HasStartupEntry() { return ::access(AutostartEntryPath().c_str(), F_OK) == 0; }

}  // namespace plat
