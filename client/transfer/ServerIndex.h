#pragma once
// The server's file index: fetched with "SEND_BACKED_UP_FILES" into the local index file, and
// turned into list rows, all of them or those whose path holds a search text.
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "client/session/Framing.h"
#include "client/settings/Prompt.h"
#include "client/transfer/IndexEntry.h"

namespace arkvale {

class CArkvaleDoc;
class CSession;

inline constexpr const char* kIndexFileName = "temp_index_file_xyz5555";

inline constexpr const char* kNoStoredFilesText =
    "There are no files currently on the backup server";
inline constexpr const char* kIndexLockText =
    "Failed to get lock during retrieve backedup files request";
inline constexpr const char* kIndexWriteErrorText = "Error opening temp index file for writing";
inline constexpr const char* kIndexReadErrorText = "Error opening temp index file for reading";
inline constexpr const char* kIndexLineErrorText = "Error found on line in index file";
inline constexpr const char* kIndexLostText =
    "Lost connection to server while retrieving the list of backed up files";

// The list of a Restore or Delete dialog as the index procedures fill it. Calls may come from a
// worker thread; an implementation carries them to the user-interface thread.
class IndexSink {
 public:
  virtual ~IndexSink() = default;
  // Replaces every row (and every tick) by rows, top row first.
  virtual void SetRows(std::vector<IndexEntry> rows) = 0;
  virtual void SetSearchText(const std::string& text) = 0;
  virtual void ShowDialog() = 0;
  // The owner of the boxes the dialog's own handlers show.
  virtual Owner BoxOwner() const = 0;
};

// Both counters of one retrieval, shared by the retrieval thread (writer) and the waiting
// command (reader).
struct RetrievalCounters {
  // 0: not yet announced; -1: no listing will come; else the listing's length in bytes.
  std::atomic<int32_t> expected{0};
  std::atomic<int32_t> received{0};
};

// Like the C library's atol, clamped to 32 bits: leading white space, an optional sign, digits;
// anything else ends the number; no digits gives 0.
int32_t ToInt32(std::string_view text);

// One line of the index file: nullopt for a line of fewer than four TAB-separated fields.
std::optional<IndexEntry> ParseIndexLine(std::string_view line);

// Whether the path, as the host names it, holds filter, case ignored (UTF-8 aware); the empty
// filter is in every path.
bool PathMatches(const std::string& path, const std::string& filter);

// Reads the index file from where it stands to its end and gives the rows of the lines whose
// path holds filter, in the order a list shows them when each row goes to the top: last line
// first. onMalformed, when given, is called once for every line with too few fields.
std::vector<IndexEntry> FillIndex(FILE* file, const std::string& filter,
                                  const std::function<void()>& onMalformed = {});

// The texts of a row's cells: 0 the path as the host names it, 1 the size ("%u"), 2 the local time
// of the last change ("3/05/04 (2:07p)"); empty for any other column.
std::string IndexCell(const IndexEntry& entry, int column);

// The Windows path of the index file. Fixed when a retrieval first writes it, so a later change
// of the current directory does not move it out of reach of the next search.
std::string IndexFilePath();

// The retrieval of a Restore or Delete command (worker thread). Ends with counters.expected
// positive (listing received, rows set, dialog shown) or -1 (no listing); the lock is released
// at every end. 0 after a listing, 1 otherwise.
int RetrieveIndex(CArkvaleDoc& doc, CSession& session, IndexSink& sink, RetrievalCounters& counters,
                  int timeoutMs = kReplyTimeoutMs);

// The Search button (user-interface thread): the rows of the index file whose path holds
// searchText; the list is left as it was when the file cannot be read.
void SearchIndex(CArkvaleDoc& doc, IndexSink& sink, const std::string& searchText);

// The refresh inside a delete run's hold of the lock: the listing fetched again and shown with
// an empty search text. False when the connection failed; the list is then left as it was.
bool RefreshIndex(CArkvaleDoc& doc, int socket, IndexSink& sink, int timeoutMs = kReplyTimeoutMs);

}  // namespace arkvale
