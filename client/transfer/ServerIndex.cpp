#include "client/transfer/ServerIndex.h"

#include <QString>
#include <algorithm>
#include <cctype>
#include <climits>
#include <mutex>

#include "client/document/ArkvaleDoc.h"
#include "client/selection/LastModified.h"
#include "client/session/Session.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/TextLineReader.h"
#include "platform/WindowsNames.h"

namespace arkvale {
namespace {

// Listing bytes have no message boundaries of their own: read them in large pieces.
constexpr std::size_t kListingChunk = 1 << 16;
// The index names what the user keeps; it is not for other users to read.
constexpr unsigned kIndexFileMode = 0600;

std::mutex indexPathMutex;
std::string indexPath;  // empty until a retrieval first writes the file

// Fixes the index file's place at its first writing and opens it for "w+".
FILE* OpenIndexForWriting() {
  std::string path;
  {
    std::lock_guard lock(indexPathMutex);
    if (indexPath.empty()) indexPath = plat::FullWindowsPath(kIndexFileName).value_or("");
    path = indexPath;
  }
  if (path.empty()) return nullptr;
  return plat::OpenStream(path, "w+", kIndexFileMode);
}

// Receives the announced listing: into file when there is one, else read and thrown away so
// that the next exchange does not meet it. Never asks for more than is still due, so bytes of a
// later message stay where they are. False when a receive failed, timed out or found the
// connection closed before the whole listing had come. A file that could not take every byte (a
// full disk) clears *written; the rest of the listing is still read.
bool ReceiveListing(int socket, int32_t length, FILE* file, RetrievalCounters* counters,
                    int timeoutMs, bool* written = nullptr) {
  std::vector<char> buffer(static_cast<std::size_t>(std::min<int64_t>(kListingChunk, length)));
  int64_t received = 0;
  bool whole = true;
  while (received < length) {
    std::size_t want = std::min<int64_t>(buffer.size(), length - received);
    long got = ReceiveData(socket, buffer.data(), want, timeoutMs);
    if (got <= 0) return false;
    received += got;
    if (counters != nullptr) counters->received = static_cast<int32_t>(received);
    const auto size = static_cast<std::size_t>(got);
    if (file != nullptr && whole) whole = std::fwrite(buffer.data(), 1, size, file) == size;
  }
  if (file != nullptr && whole) whole = std::fflush(file) == 0;
  if (written != nullptr) *written = whole;
  return true;
}

// A listing that did not reach the index file whole: shown as an error, never as a shorter list.
void ReportUnwritten(CArkvaleDoc& doc, Owner owner) {
  doc.Log(kLogError, kIndexWriteErrorText);
  doc.prompt().ShowMessage(kIndexWriteErrorText, kCaption, Icon::Error, owner);
}

// The announced length, or nullopt when nothing usable arrived (a failed receive, or a negative
// figure that no listing can have).
std::optional<int32_t> ReceiveLength(int socket, int timeoutMs) {
  std::string reply = ReceiveReply(socket, kReplyCapacity, timeoutMs);
  if (reply.empty()) return std::nullopt;
  int32_t length = ToInt32(reply);
  if (length < 0) return std::nullopt;
  return length;
}

// The user types the names the list shows: "10:30", not the private-use form stored paths carry.
// The empty filter needs no conversion: it is in every path.
bool HostPathHolds(const std::string& path, const QString& filter) {
  if (filter.isEmpty()) return true;
  return QString::fromStdString(plat::HostNameOf(path)).contains(filter, Qt::CaseInsensitive);
}

}  // namespace

int32_t ToInt32(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    value = std::min<int64_t>(value * 10 + (text[i] - '0'), int64_t{INT32_MAX} + 1);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

std::optional<IndexEntry> ParseIndexLine(std::string_view line) {
  std::string_view fields[4];
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < line.size() && count < 4) {
    while (i < line.size() && line[i] == '\t') ++i;
    if (i == line.size()) break;
    std::size_t end = line.find('\t', i);
    if (end == std::string_view::npos) end = line.size();
    fields[count++] = line.substr(i, end - i);
    i = end;
  }
  if (count < 4) return std::nullopt;
  return IndexEntry{std::string(fields[0]), ToInt32(fields[2]), ToInt32(fields[3])};
}

bool PathMatches(const std::string& path, const std::string& filter) {
  return HostPathHolds(path, QString::fromStdString(filter));
}

std::vector<IndexEntry> FillIndex(FILE* file, const std::string& filter,
                                  const std::function<void()>& onMalformed) {
  const QString wanted = QString::fromStdString(filter);
  std::vector<IndexEntry> rows;
  plat::TextLineReader lines(file, kIndexLineBuffer);
  while (auto line = lines.Next()) {
    auto entry = ParseIndexLine(*line);
    if (!entry) {
      if (onMalformed) onMalformed();
      continue;
    }
    if (HostPathHolds(entry->name, wanted)) rows.push_back(std::move(*entry));
  }
  std::reverse(rows.begin(), rows.end());
  return rows;
}

std::string IndexCell(const IndexEntry& entry, int column) {
  switch (column) {
    case 0:
      return plat::HostNameOf(entry.name);
    case 1:
      return std::to_string(static_cast<uint32_t>(entry.size));
    case 2:
      return FormatLastModified(static_cast<std::time_t>(entry.modified));
    default:
      return {};
  }
}

std::string IndexFilePath() {
  std::lock_guard lock(indexPathMutex);
  return indexPath.empty() ? std::string(kIndexFileName) : indexPath;
}

int RetrieveIndex(CArkvaleDoc& doc, CSession& session, IndexSink& sink, RetrievalCounters& counters,
                  int timeoutMs) {
  Prompt& prompt = doc.prompt();
  int lock = session.AcquireCommsLock();
  if (lock == -1) {
    doc.Log(kLogWarning, kIndexLockText);
    prompt.ShowMessage(kIndexLockText, kCaption, Icon::Warning, Owner::None);
    counters.expected = -1;
    return 1;
  }
  // The waiting command learns of the end before the pause as the lock is let go.
  auto fail = [&] {
    doc.Log(kLogError, kIndexLostText);
    prompt.ShowMessage(kIndexLostText, kCaption, Icon::Error, Owner::None);
    counters.expected = -1;
    session.ReleaseCommsLock(lock);
    return 1;
  };

  int socket = session.sessionSocket;
  if (SendWord(socket, "SEND_BACKED_UP_FILES", timeoutMs) < 0) return fail();
  auto length = ReceiveLength(socket, timeoutMs);
  if (!length) return fail();
  if (*length == 0) {
    prompt.ShowMessage(kNoStoredFilesText, kCaption, Icon::Information, Owner::None);
    counters.expected = -1;
    session.ReleaseCommsLock(lock);
    return 1;
  }
  counters.expected = *length;
  if (SendWord(socket, "OK", timeoutMs) < 0) return fail();

  FILE* file = OpenIndexForWriting();
  if (file == nullptr) {
    ReportUnwritten(doc, Owner::None);
    if (!ReceiveListing(socket, *length, nullptr, &counters, timeoutMs)) return fail();
    counters.expected = -1;
    session.ReleaseCommsLock(lock);
    return 1;
  }
  bool written = false;
  if (!ReceiveListing(socket, *length, file, &counters, timeoutMs, &written)) {
    std::fclose(file);
    return fail();
  }
  if (!written) {
    std::fclose(file);
    ReportUnwritten(doc, Owner::None);
    counters.expected = -1;
    session.ReleaseCommsLock(lock);
    return 1;
  }
  std::rewind(file);
  sink.SetSearchText({});
  sink.SetRows(FillIndex(file, {}, [&doc] { doc.Log(kLogError, kIndexLineErrorText); }));
  std::fclose(file);
  sink.ShowDialog();
  session.ReleaseCommsLock(lock);
  return 0;
}

void SearchIndex(CArkvaleDoc& doc, IndexSink& sink, const std::string& searchText) {
  FILE* file = plat::OpenStream(IndexFilePath(), "r");
  if (file == nullptr) {
    doc.Log(kLogError, kIndexReadErrorText);
    doc.prompt().ShowMessage(kIndexReadErrorText, kCaption, Icon::Error, sink.BoxOwner());
    return;
  }
  sink.SetSearchText(searchText);
  sink.SetRows(FillIndex(file, searchText));
  std::fclose(file);
  sink.ShowDialog();
}

bool RefreshIndex(CArkvaleDoc& doc, int socket, IndexSink& sink, int timeoutMs) {
  if (SendWord(socket, "SEND_BACKED_UP_FILES", timeoutMs) < 0) return false;
  auto length = ReceiveLength(socket, timeoutMs);
  if (!length) return false;
  // Sent for a length of 0 too: the server takes that "OK" as a command without an answer.
  if (SendWord(socket, "OK", timeoutMs) < 0) return false;
  FILE* file = OpenIndexForWriting();
  if (file == nullptr) {
    ReportUnwritten(doc, sink.BoxOwner());
    return ReceiveListing(socket, *length, nullptr, nullptr, timeoutMs);
  }
  bool written = false;
  if (!ReceiveListing(socket, *length, file, nullptr, timeoutMs, &written)) {
    std::fclose(file);
    return false;
  }
  if (!written) {
    std::fclose(file);
    ReportUnwritten(doc, sink.BoxOwner());
    return true;
  }
  std::rewind(file);
  sink.SetSearchText({});
  sink.SetRows(FillIndex(file, {}));
  std::fclose(file);
  return true;
}

}  // namespace arkvale
