#pragma once
// The event log: one text file per day of start-up in the log folder of the installation
// directory, one tab-separated line per entry. Written from the user-interface thread and from
// worker threads alike; each entry is one whole line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "client/settings/Prompt.h"

namespace arkvale {

inline constexpr const char* kLogDirectoryError = "Failed to open the log directory";
inline constexpr const char* kLogFileError =
    "\n  ******** Failed to open log file for writing ********\n\n";

// Levels of an entry.
inline constexpr int kLogInfo = 0;
inline constexpr int kLogWarning = 1;
inline constexpr int kLogError = 2;

class EventLog {
 public:
  // Seconds since 1970; tests fix it.
  using Clock = std::function<std::time_t()>;

  // A null clock is the system's.
  explicit EventLog(Clock clock = nullptr);
  ~EventLog();
  EventLog(const EventLog&) = delete;
  EventLog& operator=(const EventLog&) = delete;

  // Creates the log folder if needed and opens (appends to) the file of today's date, which stays
  // the file for the life of this log. Failures are shown through the prompt; entries written
  // without an open file are dropped.
  void Open(const std::string& installDirectory, Prompt& prompt);

  // One entry: time text, level, message, and the sort key = time + orderBonus as an unsigned
  // 32-bit value (a bonus of -1 sorts the entry before those of the same second).
  void Write(int level, const std::string& message, int32_t orderBonus = 0);

  bool IsOpen() const;
  // Windows path of the open file; empty before Open and when it failed.
  std::string FilePath() const;

  // The file from its start up to its end as the call begins, as lines of at most bufferSize - 1
  // characters each (a longer line comes back in pieces, CR LF read as a newline). Writers wait
  // only while that end is taken, never for the read, so an entry written meanwhile is not in the
  // result and none comes back in part. keepGoing, when given, is asked after each block read;
  // false ends the read early with the lines read so far. nullopt when no file is open.
  std::optional<std::vector<std::string>> ReadAll(
      std::size_t bufferSize, const std::function<bool()>& keepGoing = nullptr) const;

  // "log_" + local date "%m_%d_%y" + ".dat".
  static std::string FileNameFor(std::time_t when);
  // Local time as "%a %d/%m/%y  %H:%M:%S" with English weekday names.
  static std::string TimeText(std::time_t when);
  // The line of one entry, newline included; tabs and line breaks in the message become blanks.
  static std::string FormatLine(std::time_t when, int level, const std::string& message,
                                int32_t orderBonus);

 private:
  Clock clock_;
  mutable std::mutex mutex_;
  FILE* stream_ = nullptr;
  std::string filePath_;
};

}  // namespace arkvale
