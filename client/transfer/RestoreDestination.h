#pragma once
// What a restore run does with each file: where its restored content is written and what
// becomes of it. The run receives, decrypts and decompresses; a destination decides the rest.
#include <atomic>
#include <optional>
#include <string>

#include "client/transfer/IndexEntry.h"
#include "platform/Files.h"
#include "platform/Replacement.h"

namespace arkvale {

class CArkvaleDoc;

// Files a run could not restore for a reason other than the user's own answer: each logged with
// its path at level 2 and counted for the end of the run. Safe to call from several threads.
class RestoreFailures {
 public:
  explicit RestoreFailures(CArkvaleDoc& doc) : doc_(doc) {}
  // "File <target> was not restored: <reason>".
  void NotRestored(const std::string& target, const std::string& reason);
  // A failure whose log line is given whole (it names the file).
  void Add(const std::string& logText);
  int count() const { return count_; }

 private:
  CArkvaleDoc& doc_;
  std::atomic<int> count_{0};
};

class RestoreDestination {
 public:
  virtual ~RestoreDestination() = default;

  // Before the data is asked for. The path the content is meant for, its directory made ready
  // (the temporary file is created there, so that a rename can put it in place), or nullopt to
  // skip the file: the server is then told "DO_NOT_SEND_FILE", and a failure has been reported.
  virtual std::optional<plat::HostPath> Prepare(const IndexEntry& row,
                                                RestoreFailures& failures) = 0;

  // The whole plain content, in restored (a temporary file beside the prepared path, read and
  // writable through restored.fd(), not yet flushed): Commit it there, compare it, or let it go
  // (a Replacement not committed is removed).
  virtual void Finish(const IndexEntry& row, const plat::HostPath& prepared,
                      plat::Replacement& restored, RestoreFailures& failures) = 0;

  // The mode of the temporary file: a file that did not exist before keeps it, with the
  // permissions of a new document.
  virtual unsigned NewFileMode() const { return 0644; }

  // The file was not finished (a failure, or the user gave up on it).
  virtual void Abandoned(const IndexEntry& /*row*/) {}

  // Before the run reports its end: work still pending on finished files is done.
  virtual void Settle() {}

  // Why a file's content did not come back whole.
  enum class Undone { GaveUp, NotDecrypted, NotDecompressed };
  // Called before Abandoned for those; true when the destination reports it itself, in place
  // of the run's log line and failure count.
  virtual bool Reports(const IndexEntry& /*row*/, Undone /*why*/) { return false; }
  // Whether a decryptor that has failed is asked about like a slow one (every 80 polls) rather
  // than given up on at once.
  virtual bool AsksAboutFailedDecryption() const { return true; }
  // At the end of a completed or stopped run. True when the destination has told the user how
  // it went, in place of the run's failure summary and "Restore operation completed".
  virtual bool ReportsEnd() { return false; }
};

}  // namespace arkvale
