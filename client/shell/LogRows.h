#pragma once
// The rows of the log viewer: event-log lines taken apart into their four fields, filtered by
// level and put in the order of their sort key. No widgets, so the window only shows them.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace arkvale {

// The viewer reads the log with room for the longest entry the program writes (a message that
// names a host path of the longest length), so that no entry comes back in pieces.
inline constexpr std::size_t kLogViewerLineBuffer = 16384;

struct LogRow {
  std::string time;
  std::string level;
  std::string message;
  uint64_t order = 0;
};

struct LogLevels {
  bool showLevel0 = true;
  bool showLevel1 = true;
  bool showLevel2 = true;
  // A level other than 0, 1 or 2 is always shown.
  bool Shows(int level) const;
};

// The lines of the log as it reads back, oldest at the front after ordering. A line with fewer
// than four fields is shown with the missing ones empty and keeps its place after the line
// before it; rows with equal sort keys stay in file order.
std::vector<LogRow> LogRows(const std::vector<std::string>& lines, const LogLevels& levels);

}  // namespace arkvale
