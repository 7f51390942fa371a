#include "client/settings/EventLog.h"

#include <algorithm>
#include <cerrno>

#include "client/settings/InstallPaths.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextFile.h"

namespace arkvale {

namespace {

// Formatted by hand rather than with strftime: the weekday must stay English whatever locale the
// application framework selects.
constexpr const char* kWeekdays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

std::tm LocalTime(std::time_t when) {
  std::tm local{};
  // localtime_r keeps the zone it first met; the user may have changed it since.
  tzset();
  if (localtime_r(&when, &local) == nullptr) local = std::tm{};
  return local;
}

std::time_t SystemNow() { return std::time(nullptr); }

}  // namespace

EventLog::EventLog(Clock clock) : clock_(clock ? std::move(clock) : Clock(SystemNow)) {}

EventLog::~EventLog() {
  if (stream_ != nullptr) std::fclose(stream_);
}

std::string EventLog::FileNameFor(std::time_t when) {
  const std::tm local = LocalTime(when);
  char text[100];
  std::snprintf(text, sizeof text, "log_%02d_%02d_%02d.dat", local.tm_mon + 1, local.tm_mday,
                local.tm_year % 100);
  return text;
}

std::string EventLog::TimeText(std::time_t when) {
  const std::tm local = LocalTime(when);
  const int weekday = local.tm_wday >= 0 && local.tm_wday < 7 ? local.tm_wday : 0;
  char text[100];
  std::snprintf(text, sizeof text, "%s %02d/%02d/%02d  %02d:%02d:%02d", kWeekdays[weekday],
                local.tm_mday, local.tm_mon + 1, local.tm_year % 100, local.tm_hour, local.tm_min,
                local.tm_sec);
  return text;
}

std::string EventLog::FormatLine(std::time_t when, int level, const std::string& message,
                                 int32_t orderBonus) {
  const uint32_t sortKey = static_cast<uint32_t>(when) + static_cast<uint32_t>(orderBonus);
  std::string line = TimeText(when);
  line += '\t';
  line += std::to_string(level);
  line += '\t';
  // "%s" stops at a NUL. A tab or a line break (a host file name may hold one) would split the
  // entry for its readers, so it becomes a blank.
  for (const char* c = message.c_str(); *c != '\0'; ++c) {
    line += *c == '\t' || *c == '\n' ? ' ' : *c;
  }
  line += '\t';
  line += std::to_string(sortKey);
  line += '\n';
  return line;
}

void EventLog::Open(const std::string& installDirectory, Prompt& prompt) {
  const std::time_t now = clock_();
  const std::string directory = installDirectory + kLogDirectoryName;
  errno = 0;
  if (plat::MakeDirectory(directory) != 0 && errno != EEXIST) {
    prompt.ShowMessage(kLogDirectoryError, kCaption, Icon::Error, Owner::None);
  }
  const std::string path = directory + "\\" + FileNameFor(now);
  FILE* stream = plat::OpenStream(path, "a+", 0600);
  if (stream == nullptr) {
    prompt.ShowMessage(kLogFileError, kCaption, Icon::Warning, Owner::None);
    return;
  }
  std::lock_guard lock(mutex_);
  if (stream_ != nullptr) std::fclose(stream_);
  stream_ = stream;
  filePath_ = path;
}

void EventLog::Write(int level, const std::string& message, int32_t orderBonus) {
  const std::string line = FormatLine(clock_(), level, message, orderBonus);
  std::lock_guard lock(mutex_);
  if (stream_ == nullptr) return;
  std::fwrite(line.data(), 1, line.size(), stream_);
  std::fflush(stream_);
}

bool EventLog::IsOpen() const {
  std::lock_guard lock(mutex_);
  return stream_ != nullptr;
}

std::string EventLog::FilePath() const {
  std::lock_guard lock(mutex_);
  return filePath_;
}

std::optional<std::vector<std::string>> EventLog::ReadAll(
    std::size_t bufferSize, const std::function<bool()>& keepGoing) const {
  FILE* reader = nullptr;
  long end = 0;
  {
    std::lock_guard lock(mutex_);
    if (stream_ == nullptr) return std::nullopt;
    // Every entry is written whole under the lock, so the end taken here falls between entries.
    std::fflush(stream_);
    std::fseek(stream_, 0, SEEK_END);
    end = std::ftell(stream_);
    reader = plat::ReopenForReading(stream_);
  }
  if (reader == nullptr) return std::nullopt;
  std::vector<std::string> lines;
  plat::TextLineSplitter splitter(bufferSize);
  constexpr std::size_t kBlock = 1 << 20;
  std::vector<char> block(kBlock);
  for (uint64_t left = end < 0 ? 0 : static_cast<uint64_t>(end); left > 0;) {
    const std::size_t got = std::fread(
        block.data(), 1, static_cast<std::size_t>(std::min<uint64_t>(left, kBlock)), reader);
    if (got == 0) break;
    left -= got;
    splitter.Feed(block.data(), got, lines);
    if (keepGoing && !keepGoing()) break;
  }
  splitter.Finish(lines);
  std::fclose(reader);
  return lines;
}

}  // namespace arkvale
