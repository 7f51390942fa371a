#pragma once
// The "run at log-on" entry: an XDG autostart desktop entry that starts the installed arkvale.exe,
// $XDG_CONFIG_HOME/autostart/arkvale.desktop (else ~/.config/autostart/arkvale.desktop).
#include <string>

namespace plat {

// Host path of the entry.
std::string AutostartEntryPath();

enum class StartupResult {
  kOk,
  kCannotOpen,            // adding: the entry's directory or file cannot be written
  kCannotOpenForRemoval,  // removing: the entry's directory cannot be opened for changes
  kCannotRemove,          // removing: no entry there, or it cannot be deleted
};

// Writes the entry (atomically, replacing an older one).
StartupResult AddStartupEntry();
StartupResult RemoveStartupEntry();
bool HasStartupEntry();

}  // namespace plat
