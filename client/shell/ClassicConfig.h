#pragma once
// The classic configuration command without its window: what the dialog shows when it opens,
// the check of the log count, and what OK changes (the configuration and flag files, the
// document's settings, the notification icon and the start-up registration).
#include <functional>
#include <optional>
#include <string>

#include "client/settings/ConfigFile.h"

namespace arkvale {

class CArkvaleDoc;

inline constexpr int kLogCountMin = 1;
inline constexpr int kLogCountMax = 30;
inline constexpr const char* kEnterIntegerText = "Please enter an integer.";
inline constexpr const char* kEnterIntegerRangeText = "Please enter an integer between 1 and 30.";

struct ClassicConfig {
  ConfigSettings settings;
  int runMinimized = 0;
};

// All eight lines and the flag file; the defaults (tray icon 1, log count 5, the rest empty or
// 0) when the configuration file cannot be read.
ClassicConfig LoadClassicConfig(const std::string& installDirectory);

// The log count as typed: an integer (blanks around it allowed) from 1 to 30.
struct LogCountCheck {
  std::optional<int> value;
  // The prompt that refuses it; empty when accepted.
  std::string refusal;
};
LogCountCheck CheckLogCount(const std::string& typed);

// Writes the file, then the flag file, the document, the icon (removed by removeTrayIcon when the
// tray icon flag is off) and the registration (only when run on start-up differs from
// loadedRunOnStartup). False when the file cannot be written: that is reported and nothing else
// changes, so the user can try again.
bool SaveClassicConfig(CArkvaleDoc& doc, const ClassicConfig& values, int loadedRunOnStartup,
                       const std::function<void()>& removeTrayIcon);

}  // namespace arkvale
