#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <set>
#include <sstream>
#include <thread>

#include "client/settings/EventLog.h"
#include "client/settings/InstallPaths.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

namespace fs = std::filesystem;
using test::RecordingPrompt;
using test::TempWorld;

constexpr std::time_t kTue30Mar2004 = 1080659240;  // 15:07:20 UTC

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

class EventLogTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("TZ", "UTC", 1);
    tzset();
  }
  EventLogTest() { fs::create_directories(installHost()); }
  std::string installHost() const { return world.driveC() + "/Program Files/Arkvale"; }
  std::string logHost(const char* name) const { return installHost() + "/log/" + name; }
  EventLog::Clock clock() {
    return [this] { return now.load(); };
  }

  TempWorld world;
  RecordingPrompt prompt;
  std::atomic<std::time_t> now{kTue30Mar2004};
};

TEST_F(EventLogTest, TimeTextAndFileName) {
  EXPECT_EQ(EventLog::TimeText(kTue30Mar2004), "Tue 30/03/04  15:07:20");
  EXPECT_EQ(EventLog::TimeText(0), "Thu 01/01/70  00:00:00");
  EXPECT_EQ(EventLog::FileNameFor(kTue30Mar2004), "log_03_30_04.dat");
  EXPECT_EQ(EventLog::FileNameFor(kTue30Mar2004 + 9 * 3600), "log_03_31_04.dat");
}

TEST_F(EventLogTest, AZoneChangeIsSeenByTheNextStamp) {
  setenv("TZ", "JST-9", 1);  // nothing else tells the program
  EXPECT_EQ(EventLog::TimeText(kTue30Mar2004), "Wed 31/03/04  00:07:20");
  setenv("TZ", "UTC", 1);
  EXPECT_EQ(EventLog::TimeText(kTue30Mar2004), "Tue 30/03/04  15:07:20");
}

TEST_F(EventLogTest, LineFormatAndSortKeyWrapAround) {
  EXPECT_EQ(EventLog::FormatLine(kTue30Mar2004, 1, "Failed to get lock during backup request", 0),
            "Tue 30/03/04  15:07:20\t1\tFailed to get lock during backup request\t1080659240\n");
  EXPECT_EQ(EventLog::FormatLine(kTue30Mar2004, 0, "x", 1),
            "Tue 30/03/04  15:07:20\t0\tx\t1080659241\n");
  EXPECT_EQ(EventLog::FormatLine(kTue30Mar2004, 0, "x", -1),
            "Tue 30/03/04  15:07:20\t0\tx\t1080659239\n");
  // An entry stays one line of four fields whatever the message holds.
  EXPECT_EQ(EventLog::FormatLine(kTue30Mar2004, 2, "Z:\\odd\tname\n.txt", 0),
            "Tue 30/03/04  15:07:20\t2\tZ:\\odd name .txt\t1080659240\n");
  // The key is 32 bits unsigned: the second before 1970 and the second after 2106 wrap.
  EXPECT_EQ(Split(EventLog::FormatLine(0, 2, "m", -1), '\t')[3], "4294967295\n");
  EXPECT_EQ(Split(EventLog::FormatLine(std::time_t{4294967296}, 2, "m", 5), '\t')[3], "5\n");
}

TEST_F(EventLogTest, OpenCreatesTheDirectoryAndSameDayStartsAppend) {
  {
    EventLog log(clock());
    log.Open(kInstallDirectory, prompt);
    ASSERT_TRUE(log.IsOpen());
    EXPECT_EQ(log.FilePath(), "C:\\Program Files\\Arkvale\\log\\log_03_30_04.dat");
    log.Write(0, "Connected to server");
    now += 1;
    log.Write(2, "Lost connection to server");
  }
  {
    now += 3600;  // a later start-up the same day
    EventLog log(clock());
    log.Open(kInstallDirectory, prompt);
    log.Write(0, "Automatic connection to server", -1);
    // A run past midnight keeps the file of its start-up day.
    now += 12 * 3600;
    log.Write(1, "after midnight");
  }
  EXPECT_TRUE(prompt.boxes().empty());
  EXPECT_EQ(TempWorld::ReadHostFile(logHost("log_03_30_04.dat")),
            "Tue 30/03/04  15:07:20\t0\tConnected to server\t1080659240\n"
            "Tue 30/03/04  15:07:21\t2\tLost connection to server\t1080659241\n"
            "Tue 30/03/04  16:07:21\t0\tAutomatic connection to server\t1080662840\n"
            "Wed 31/03/04  04:07:21\t1\tafter midnight\t1080706041\n");

  EventLog nextDay(clock());
  nextDay.Open(kInstallDirectory, prompt);
  nextDay.Write(0, "next");
  EXPECT_TRUE(fs::exists(logHost("log_03_31_04.dat")));
  EXPECT_EQ(Split(TempWorld::ReadHostFile(logHost("log_03_31_04.dat")), '\n').size(), 1u);
}

TEST_F(EventLogTest, MissingInstallDirectoryShowsBothBoxesAndDropsEntries) {
  fs::remove_all(installHost());
  EventLog log(clock());
  log.Open(kInstallDirectory, prompt);
  EXPECT_FALSE(log.IsOpen());
  EXPECT_EQ(log.FilePath(), "");
  log.Write(0, "dropped");
  EXPECT_FALSE(log.ReadAll(1000).has_value());
  const auto boxes = prompt.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "Failed to open the log directory");
  EXPECT_EQ(boxes[0].caption, "Arkvale");
  EXPECT_EQ(boxes[0].icon, Icon::Error);
  EXPECT_EQ(boxes[0].owner, Owner::None);
  EXPECT_EQ(boxes[1].text, "\n  ******** Failed to open log file for writing ********\n\n");
  EXPECT_EQ(boxes[1].caption, "Arkvale");
  EXPECT_EQ(boxes[1].icon, Icon::Warning);
  EXPECT_EQ(boxes[1].owner, Owner::None);
  EXPECT_FALSE(fs::exists(installHost()));
}

TEST_F(EventLogTest, UnopenableFileShowsOnlyTheWarning) {
  // "log" exists but is a file: the directory is there as far as creation goes, the file is not.
  TempWorld::WriteHostFile(installHost() + "/log", "not a directory");
  EventLog log(clock());
  log.Open(kInstallDirectory, prompt);
  EXPECT_FALSE(log.IsOpen());
  ASSERT_EQ(prompt.texts().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Warning);
}

TEST_F(EventLogTest, ConcurrentWritersNeverInterleaveAndReadersSeeWholeLines) {
  EventLog log(clock());
  log.Open(kInstallDirectory, prompt);
  ASSERT_TRUE(log.IsOpen());
  constexpr int kThreads = 6;
  constexpr int kEntries = 300;
  std::atomic<bool> writing{true};
  std::atomic<int> partialLines{0};
  std::thread reader([&] {
    while (writing) {
      const auto lines = log.ReadAll(1000);
      for (const std::string& line : *lines) {
        if (line.empty() || line.back() != '\n') ++partialLines;
      }
    }
  });
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&log, t] {
      const std::string filler(200 + 37 * t, static_cast<char>('a' + t));
      for (int i = 0; i < kEntries; ++i) {
        log.Write(t % 3,
                  "thread " + std::to_string(t) + " entry " + std::to_string(i) + " " + filler);
      }
    });
  }
  for (auto& w : writers) w.join();
  writing = false;
  reader.join();
  EXPECT_EQ(partialLines.load(), 0);

  const auto lines = *log.ReadAll(1000);
  ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kEntries));
  std::set<std::string> seen;
  for (const std::string& line : lines) {
    const auto fields = Split(line, '\t');
    ASSERT_EQ(fields.size(), 4u) << line;
    EXPECT_EQ(fields[0], "Tue 30/03/04  15:07:20");
    EXPECT_EQ(fields[3], "1080659240\n");
    const auto words = Split(fields[2], ' ');
    ASSERT_EQ(words.size(), 5u) << line;
    const int t = std::stoi(words[1]);
    EXPECT_EQ(fields[1], std::to_string(t % 3));
    EXPECT_EQ(words[4], std::string(200 + 37 * t, static_cast<char>('a' + t)));
    seen.insert(fields[2].substr(0, fields[2].size() - words[4].size()));
  }
  EXPECT_EQ(seen.size(), static_cast<std::size_t>(kThreads * kEntries));

  // Writes after a read still go to the end.
  log.Write(0, "last");
  EXPECT_EQ(Split(log.ReadAll(1000)->back(), '\t')[2], "last");
}

TEST_F(EventLogTest, ReadAllReturnsLongLinesInPiecesAndCrLfAsNewline) {
  TempWorld::WriteHostFile(logHost("log_03_30_04.dat"),
                           "written on Windows\r\n" + std::string(1500, 'x') + "\n\n");
  EventLog log(clock());
  log.Open(kInstallDirectory, prompt);
  const auto lines = *log.ReadAll(1000);
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0], "written on Windows\n");
  EXPECT_EQ(lines[1], std::string(999, 'x'));
  EXPECT_EQ(lines[2], std::string(501, 'x') + "\n");
  EXPECT_EQ(lines[3], "\n");
  // A buffer too small for any character still ends.
  EXPECT_FALSE(log.ReadAll(0)->empty());
}

TEST_F(EventLogTest, AWriterNeverWaitsForAReadAndReadsEndWhereTheyBegan) {
  const std::string filler(300, 'f');
  std::string content;
  for (int i = 0; i < 4000; ++i) content += EventLog::FormatLine(kTue30Mar2004, 0, filler, 0);
  TempWorld::WriteHostFile(logHost("log_03_30_04.dat"), content);  // over a block of the reader
  EventLog log(clock());
  log.Open(kInstallDirectory, prompt);
  int blocks = 0;
  bool writerWaited = false;
  const auto lines = log.ReadAll(1000, [&] {
    if (blocks++ == 0) {
      // A writer held for the whole read would still be waiting when this gives up.
      auto writer = std::async(std::launch::async, [&log] { log.Write(2, "during the read"); });
      writerWaited = writer.wait_for(std::chrono::seconds(20)) != std::future_status::ready;
    }
    return true;
  });
  EXPECT_FALSE(writerWaited);
  EXPECT_GE(blocks, 2);
  ASSERT_EQ(lines->size(), 4000u);
  EXPECT_EQ(Split(lines->back(), '\t')[2], filler);
  EXPECT_EQ(Split(log.ReadAll(1000)->back(), '\t')[2], "during the read");
  // A read given up early returns the lines of the blocks read.
  const auto first = log.ReadAll(1000, [] { return false; });
  EXPECT_GT(first->size(), 0u);
  EXPECT_LT(first->size(), 4000u);
}

}  // namespace
}  // namespace arkvale
