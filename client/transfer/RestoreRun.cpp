#include "client/transfer/RestoreRun.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>

#include "client/document/ArkvaleDoc.h"
#include "client/session/ChildTools.h"
#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/transfer/BarPosition.h"
#include "client/transfer/CompareResult.h"
#include "client/transfer/FileCopy.h"
#include "client/transfer/RestoreFolder.h"
#include "client/transfer/RestoreTarget.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/StopFiles.h"
#include "client/transfer/WatchedChild.h"
#include "platform/Files.h"

namespace arkvale {

namespace {

constexpr std::size_t kDataChunk = 1000;
// The slow-decryption question comes back after this many polls.
constexpr int kPollsPerQuestion = 80;
// A file that did not exist before is created with the permissions of a new document.
constexpr unsigned kNewFileMode = 0644;
// Data in transit is readable by its owner only.
constexpr unsigned kTransitMode = 0600;

constexpr const char* kCompleted = "Restore operation completed";
constexpr const char* kLostConnection = "Lost connection to server during restore";
constexpr const char* kSlowDecryption =
    "Decryption of a file being restored is progressing slowly\n"
    "This could be due to a very large file\n"
    "or due to an incorrect encrytion key\n"
    "Would you like to wait longer for this file to complete decryption\n"
    "or answer NO to continue without restoring this file";

// What the loop does after one file.
enum class After { NextFile, Stop, LostConnection };

// How the wait for the decryptor ended.
enum class Decryption { Done, GaveUp, Failed };

// The announced size, read like atoi but wide enough for any file; never negative.
int64_t AnnouncedSize(const std::string& reply) {
  std::size_t i = 0;
  while (i < reply.size() && std::isspace(static_cast<unsigned char>(reply[i]))) ++i;
  bool negative = false;
  if (i < reply.size() && (reply[i] == '+' || reply[i] == '-')) negative = reply[i++] == '-';
  int64_t value = 0;
  constexpr int64_t kLimit = INT64_MAX / 10 - 9;
  for (; i < reply.size() && std::isdigit(static_cast<unsigned char>(reply[i])) && value < kLimit;
       ++i) {
    value = value * 10 + (reply[i] - '0');
  }
  return negative ? 0 : value;
}

class CRestoreRun {
 public:
  CRestoreRun(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
              const RestoreMode& mode)
      : mode_(mode),
        doc_(doc),
        session_(session),
        prompt_(doc.prompt()),
        progress_(progress),
        installDirectory_(doc.installDirectory),
        key_(doc.EncryptionKey()) {}

  int Run(const std::vector<IndexEntry>& rows) {
    TakeStopFile(kRestoreStopFile);
    for (const IndexEntry& row : rows) totalBytes_ += static_cast<uint32_t>(row.size);
    if (rows.empty()) {
      restoreInProgress = false;
      return 1;
    }
    lock_ = session_.AcquireCommsLock();
    if (lock_ == -1) {
      doc_.Log(kLogWarning, "Failed to get lock during restore request");
      prompt_.ShowMessage("Failed to get lock during restore request", kCaption, Icon::Warning,
                          Owner::None);
      restoreInProgress = false;
      return 1;
    }
    socket_ = session_.sessionSocket;
    if (!Begin(rows.size())) {
      doc_.Log(kLogError, "Could not proceed with the restore, check the connection");
      prompt_.ShowMessage("Cannot proceed with the restore, check the connection", kCaption,
                          Icon::Error, Owner::None);
      session_.ReleaseCommsLock(lock_);
      restoreInProgress = false;
      return 1;
    }
    for (const IndexEntry& row : rows) {
      After after = RestoreFile(row);
      if (after == After::Stop) break;
      if (after == After::LostConnection) return EndLost();
    }
    return Complete();
  }

 private:
  // "RESTORE" and the count, each answered "OK". A refusal ends the dialogue at once.
  bool Begin(std::size_t count) {
    SendWord(socket_, "RESTORE");
    if (ReceiveReply(socket_, kReplyCapacity) != "OK") return false;
    SendWord(socket_, std::to_string(count));
    return ReceiveReply(socket_, kReplyCapacity) == "OK";
  }

  // A file that could not be restored for a reason other than the user's own answer: logged
  // with its path, and counted for the end of the run.
  void NotRestored(const std::string& target, const std::string& reason) {
    if (Comparing()) {
      Record(NotComparedResult(*row_, reason));
      return;
    }
    doc_.Log(kLogError, "File " + target + " was not restored: " + reason);
    ++failures_;
  }

  // The stored data did not come back: for a Compare that is the file's result.
  void Undecodable(const std::string& target, const std::string& reason) {
    if (Comparing()) {
      Record(DamagedResult(*row_, reason));
      return;
    }
    NotRestored(target, reason);
  }

  bool Comparing() const { return mode_.kind == RestoreMode::Kind::Compare; }

  void Record(CompareResult result) {
    const std::string text = CompareLogText(result);
    if (!text.empty()) doc_.Log(kLogWarning, text);
    results_.push_back(std::move(result));
  }

  After Skip() {
    SendWord(socket_, "DO_NOT_SEND_FILE");
    return After::NextFile;
  }

  After RestoreFile(const IndexEntry& row) {
    row_ = &row;
    if (TakeStopFile(kRestoreStopFile)) {
      SendWord(socket_, "STOP_RESTORE");
      return After::Stop;
    }
    SendWord(socket_, row.name);
    std::string reply = ReceiveReply(socket_, kReplyCapacity);
    if (reply.empty()) return After::LostConnection;
    const int64_t announced = AnnouncedSize(reply);
    if (Comparing()) return Fetch(row, row.name, std::nullopt, announced);
    std::string target = row.name;
    if (mode_.kind == RestoreMode::Kind::Folder) {
      std::optional<std::string> inFolder = PathInFolder(mode_.folder, row.name);
      if (!inFolder) {
        NotRestored(row.name, "its path has no place under " + mode_.folder);
        return Skip();
      }
      target = *inFolder;
    }

    const std::optional<plat::FileStatus> existing = plat::StatFile(target);
    // Only a file is ever replaced: a directory, device, FIFO or socket in its place stays.
    if (existing && !existing->isFile) {
      NotRestored(target, "something other than a file is in its place");
      return Skip();
    }
    if (existing && !prompt_.AskYesNo(target + "\nFile exists!\n Do you want to overwrite it?",
                                      kCaption, Icon::Question, Owner::None)) {
      return Skip();
    }
    switch (PrepareTargetDirectory(target)) {
      case TargetDirectory::Ready:
        break;
      case TargetDirectory::DriveFailed:
        prompt_.ShowMessage(kDriveChangeError, kCaption, Icon::Error, Owner::None);
        doc_.Log(kLogError, kDriveChangeError);
        ++failures_;
        return Skip();
      case TargetDirectory::DirectoryFailed:
        doc_.Log(kLogError, kMakeDirectoryError);
        ++failures_;
        return Skip();
    }
    return Fetch(row, target, existing, announced);
  }

  After Fetch(const IndexEntry& row, const std::string& target,
              const std::optional<plat::FileStatus>& existing, int64_t announced) {
    plat::RemoveFile(kRestoreTempCpt);
    FILE* data = plat::OpenStream(kRestoreTempCpt, "wb", kTransitMode);
    if (data == nullptr) {
      const std::string text = std::string("Error opening file ") + kRestoreTempCpt +
                               " for writing, check the file permissions";
      doc_.Log(kLogError, text);
      prompt_.ShowMessage(text, kCaption, Icon::Error, Owner::None);
      if (Comparing()) Record(NotComparedResult(row, text));
      ++failures_;
      return Skip();
    }

    SendWord(socket_, "SEND_FILE");
    bool written = true;
    if (!ReceiveInto(data, announced, written)) {
      std::fclose(data);
      plat::RemoveFile(kRestoreTempCpt);
      return After::LostConnection;
    }
    if (std::fclose(data) != 0) written = false;

    // The old content is kept aside as well, but the target itself is only ever replaced
    // whole, by Place.
    if (existing) {
      my_file_copy(target, kRestoreSafetyCopy, prompt_, doc_.eventLog, Owner::RestoreDialog);
    }
    if (!written) {
      NotRestored(target, std::string("its data could not be written to ") + kRestoreTempCpt);
    } else if (Decrypt(target, existing.has_value()) == Decryption::Done && Decompress(target)) {
      if (Comparing()) {
        Record(CompareWithOriginal(row, kRestoreTempFile));
      } else {
        Place(row, target, existing);
      }
    }
    DiscardTemporaryFiles();
    SendWord(socket_, "OK");
    return After::NextFile;
  }

  // Receives exactly the announced bytes into out, so that what the server sends next is never
  // taken for file data. A write failure clears written but the bytes are still taken, to stay
  // in step. False when the connection failed.
  bool ReceiveInto(FILE* out, int64_t announced, bool& written) {
    char buffer[kDataChunk];
    int64_t received = 0;
    while (received < announced) {
      progress_.SetTransmission(Position(runBytes_, totalBytes_));
      const auto want =
          static_cast<std::size_t>(std::min<int64_t>(announced - received, kDataChunk));
      long got = ReceiveData(socket_, buffer, want);
      if (got <= 0) return false;
      received += got;
      runBytes_ += static_cast<uint64_t>(got);
      if (written && std::fwrite(buffer, 1, static_cast<std::size_t>(got), out) !=
                         static_cast<std::size_t>(got)) {
        written = false;
      }
    }
    return true;
  }

  // C:\a_temp_file.cpt to C:\a_temp_file. Asks the slow-decryption question every 80 polls;
  // a decryptor that has ended without output is not waited for after a Yes.
  Decryption Decrypt(const std::string& target, bool existed) {
    // Leftovers of an earlier file must not pass for this file's output.
    plat::RemoveFile(kRestoreTempFile);
    plat::RemoveFile(kRestoreTempGz);
    CWatchedChild decryptor;
    if (!decryptor.Start(installDirectory_, ChildTool::Ccrypt, RestoreDecryptWords(key_))) {
      ReportSpawnFailure(SpawnCaller::RestoreCcrypt, prompt_, doc_.eventLog);
      NotRestored(target, "the decryptor could not be started");
      return Decryption::Failed;
    }
    Notches notches;
    int polls = 0;
    Decryption result = Decryption::Done;
    while (true) {
      // Its output counts only once it has ended: then the file is whole.
      const bool ended = decryptor.Ended();
      if (ended && plat::FileExists(kRestoreTempFile)) break;
      // A Compare reports a decryptor that gave up at once rather than asking about it.
      if (ended && Comparing()) {
        Undecodable(target, "its data could not be decrypted, check the encryption key");
        result = Decryption::Failed;
        break;
      }
      decryptor.WaitStep(kChildPollMs);
      progress_.SetDecrypting(notches.Next());
      if (++polls % kPollsPerQuestion != 0) continue;
      if (!prompt_.AskYesNo(kSlowDecryption, kCaption, Icon::Question, Owner::None)) {
        if (Comparing()) {
          NotRestored(target, "its decryption was not waited for");
        } else {
          doc_.Log(kLogError, "File was not restored after restore request");
        }
        decryptor.Stop();
        // The target was never touched: its old content is still in place.
        if (existed) plat::RemoveFile(kRestoreSafetyCopy);
        result = Decryption::GaveUp;
        break;
      }
      if (decryptor.Ended() && !plat::FileExists(kRestoreTempFile)) {
        Undecodable(target, "its data could not be decrypted, check the encryption key");
        result = Decryption::Failed;
        break;
      }
    }
    progress_.SetDecrypting(0);
    if (result == Decryption::Done && plat::RenameFile(kRestoreTempFile, kRestoreTempGz) != 0) {
      NotRestored(target,
                  std::string("its decrypted data could not be renamed to ") + kRestoreTempGz);
      return Decryption::Failed;
    }
    return result;
  }

  // C:\a_temp_file.gz to C:\a_temp_file. Waits as long as the decompressor runs; damaged data
  // makes it end with the ".gz" still there.
  bool Decompress(const std::string& target) {
    CWatchedChild decompressor;
    if (!decompressor.Start(installDirectory_, ChildTool::Gzip, RestoreDecompressWords())) {
      ReportSpawnFailure(SpawnCaller::RestoreGzip, prompt_, doc_.eventLog);
      NotRestored(target, "the decompressor could not be started");
      return false;
    }
    Notches notches;
    while (!decompressor.Ended()) {
      decompressor.WaitStep(kChildPollMs);
      progress_.SetUncompressing(notches.Next());
    }
    progress_.SetUncompressing(0);
    if (plat::FileExists(kRestoreTempGz) || !plat::FileExists(kRestoreTempFile)) {
      Undecodable(target, "its data could not be decompressed");
      return false;
    }
    return true;
  }

  // Puts the restored file in place with one rename in the target's own directory, with the
  // time the index lists, so the next backup does not take it for a changed file.
  void Place(const IndexEntry& row, const std::string& target,
             const std::optional<plat::FileStatus>& existing) {
    const unsigned mode = existing ? existing->mode : kNewFileMode;
    if (!plat::CopyFileAtomically(kRestoreTempFile, target, mode)) {
      NotRestored(target, "it could not be written to its place");
      return;
    }
    plat::SetModificationTime(target, row.modified);
  }

  // Restored content in transit is not left on disk.
  static void DiscardTemporaryFiles() {
    plat::RemoveFile(kRestoreTempCpt);
    plat::RemoveFile(kRestoreTempGz);
    plat::RemoveFile(kRestoreTempFile);
  }

  void ReportFailures() {
    if (failures_ == 0) return;
    const std::string text = "Files not restored because of an error: " + std::to_string(failures_);
    doc_.Log(kLogWarning, text);
    prompt_.ShowMessage(text + "\nPlease check the log file", kCaption, Icon::Warning, Owner::None);
  }

  int Complete() {
    progress_.SetTransmission(0);
    session_.ReleaseCommsLock(lock_);
    if (Comparing()) return CompleteCompare();
    ReportFailures();
    doc_.Log(kLogInfo, kCompleted);
    prompt_.ShowMessage(kCompleted, kCaption, Icon::Information, Owner::None);
    progress_.DisableStopButton();
    restoreInProgress = false;
    return 0;
  }

  int CompleteCompare() {
    const std::string summary = CompareSummary(results_);
    doc_.Log(kLogInfo, "Compare: " + summary);
    progress_.ShowCompareResults(results_, summary);
    prompt_.ShowMessage(summary, kCaption, Icon::Information, Owner::None);
    progress_.DisableStopButton();
    restoreInProgress = false;
    return 0;
  }

  // A reply or data that never came: the server is gone or out of step.
  int EndLost() {
    progress_.SetTransmission(0);
    session_.ReleaseCommsLock(lock_);
    doc_.Log(kLogError, kLostConnection);
    prompt_.ShowMessage(kLostConnection, kCaption, Icon::Error, Owner::None);
    progress_.DisableStopButton();
    restoreInProgress = false;
    return 1;
  }

  const RestoreMode mode_;
  CArkvaleDoc& doc_;
  CSession& session_;
  Prompt& prompt_;
  RestoreProgress& progress_;
  const std::string installDirectory_;
  const std::string key_;
  int lock_ = -1;
  int socket_ = -1;
  uint64_t totalBytes_ = 0;
  uint64_t runBytes_ = 0;
  int failures_ = 0;
  const IndexEntry* row_ = nullptr;
  std::vector<CompareResult> results_;
};

}  // namespace

int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<IndexEntry>& rows, const RestoreMode& mode) {
  return CRestoreRun(doc, session, progress, mode).Run(rows);
}

}  // namespace arkvale
