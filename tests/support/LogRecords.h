#pragma once
// Event-log lines taken apart into level, message and sort key (the time text is left out).
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace arkvale::test {

struct LogRecord {
  int level = 0;
  std::string message;
  unsigned long sortKey = 0;
  bool operator==(const LogRecord&) const = default;
};
std::ostream& operator<<(std::ostream& out, const LogRecord& record);

// The records of the lines the log reads back (EventLog::ReadAll); a line that is not four
// tab-separated fields is left out.
std::vector<LogRecord> ParseLogLines(const std::optional<std::vector<std::string>>& lines);
// Their messages only.
std::vector<std::string> LogMessagesOf(const std::optional<std::vector<std::string>>& lines);

}  // namespace arkvale::test
