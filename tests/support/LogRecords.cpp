#include "tests/support/LogRecords.h"

#include <sstream>

namespace arkvale::test {

std::ostream& operator<<(std::ostream& out, const LogRecord& record) {
  return out << "(" << record.level << ", \"" << record.message << "\", " << record.sortKey << ")";
}

std::vector<LogRecord> ParseLogLines(const std::optional<std::vector<std::string>>& lines) {
  std::vector<LogRecord> records;
  if (!lines) return records;
  for (std::string line : *lines) {
    if (!line.empty() && line.back() == '\n') line.pop_back();
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, '\t')) fields.push_back(field);
    if (fields.size() != 4) continue;
    records.push_back({std::stoi(fields[1]), fields[2], std::stoul(fields[3])});
  }
  return records;
}

std::vector<std::string> LogMessagesOf(const std::optional<std::vector<std::string>>& lines) {
  std::vector<std::string> messages;
  for (const LogRecord& record : ParseLogLines(lines)) messages.push_back(record.message);
  return messages;
}

}  // namespace arkvale::test
