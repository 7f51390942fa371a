#include "client/shell/LogRows.h"

#include <algorithm>
#include <cstdlib>

#include "client/settings/ConfigFile.h"

namespace arkvale {
namespace {

std::vector<std::string> SplitAtTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

}  // namespace

bool LogLevels::Shows(int level) const {
  switch (level) {
    case 0:
      return showLevel0;
    case 1:
      return showLevel1;
    case 2:
      return showLevel2;
    default:
      return true;
  }
}

std::vector<LogRow> LogRows(const std::vector<std::string>& lines, const LogLevels& levels) {
  std::vector<LogRow> rows;
  uint64_t previousOrder = 0;
  for (const std::string& line : lines) {
    std::string text = line;
    if (!text.empty() && text.back() == '\n') text.pop_back();
    if (text.empty()) continue;
    // Each tab separates two fields, so an empty message leaves the sort key in its own column.
    std::vector<std::string> fields = SplitAtTabs(text);
    LogRow row;
    row.time = fields[0];
    if (fields.size() > 1) row.level = fields[1];
    if (fields.size() >= 4) {
      row.order = std::strtoull(fields.back().c_str(), nullptr, 10);
      fields.pop_back();
      for (std::size_t i = 2; i < fields.size(); ++i) {
        if (i > 2) row.message += '\t';
        row.message += fields[i];
      }
    } else {
      if (fields.size() > 2) row.message = fields[2];
      row.order = previousOrder;
    }
    previousOrder = row.order;
    if (levels.Shows(LeadingInteger(row.level))) rows.push_back(std::move(row));
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const LogRow& a, const LogRow& b) { return a.order < b.order; });
  return rows;
}

}  // namespace arkvale
