#include <gtest/gtest.h>

#include "client/shell/LogRows.h"

namespace arkvale {
namespace {

std::string Line(int level, const std::string& message, unsigned order) {
  return "Tue 30/03/04  15:07:20\t" + std::to_string(level) + "\t" + message + "\t" +
         std::to_string(order) + "\n";
}

std::vector<std::string> Messages(const std::vector<LogRow>& rows) {
  std::vector<std::string> messages;
  for (const LogRow& row : rows) messages.push_back(row.message);
  return messages;
}

TEST(LogRowsTest, EachBoxHidesOnlyItsLevelAndOtherLevelsAlwaysShow) {
  const std::vector<std::string> lines{Line(0, "info", 1), Line(1, "warning", 2),
                                       Line(2, "error", 3), Line(3, "other", 4)};
  EXPECT_EQ(Messages(LogRows(lines, {false, true, true})),
            (std::vector<std::string>{"warning", "error", "other"}));
  EXPECT_EQ(Messages(LogRows(lines, {true, false, true})),
            (std::vector<std::string>{"info", "error", "other"}));
  EXPECT_EQ(Messages(LogRows(lines, {true, true, false})),
            (std::vector<std::string>{"info", "warning", "other"}));
  EXPECT_EQ(Messages(LogRows(lines, {false, false, false})), std::vector<std::string>{"other"});
}

TEST(LogRowsTest, RowsFollowTheSortKeyAndEqualKeysKeepFileOrder) {
  const std::vector<std::string> lines{Line(0, "summary", 1080000001), Line(0, "late", 1080000002),
                                       Line(0, "first", 1080000000), Line(0, "second", 1080000000),
                                       Line(0, "automatic", 1079999999)};
  const std::vector<LogRow> rows = LogRows(lines, {});
  EXPECT_EQ(Messages(rows),
            (std::vector<std::string>{"automatic", "first", "second", "summary", "late"}));
  EXPECT_EQ(rows.front().time, "Tue 30/03/04  15:07:20");
  EXPECT_EQ(rows.front().level, "0");
  EXPECT_EQ(rows.front().order, 1079999999u);
}

TEST(LogRowsTest, ShortLinesShowWhatTheyHoldInTheirPlace) {
  const std::vector<std::string> lines{
      Line(0, "early", 10), "\n",  // a bare newline is no row
      Line(1, "", 30),             // an empty message keeps the key in its own field
      Line(0, "later", 20), "Tue 30/03/04  15:07:21\t2\tFailed to op\n",  // torn off
      "stray text"};
  const std::vector<LogRow> rows = LogRows(lines, {});
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(Messages(rows), (std::vector<std::string>{"early", "later", "Failed to op", "", ""}));
  EXPECT_EQ(rows[2].level, "2");
  EXPECT_EQ(rows[2].order, 20u);
  EXPECT_EQ(rows[3].order, 20u);
  EXPECT_EQ(rows[3].time, "stray text");
  EXPECT_EQ(rows[3].level, "");
  EXPECT_EQ(rows[4].level, "1");
  EXPECT_EQ(rows[4].order, 30u);
}

}  // namespace
}  // namespace arkvale
