#include "client/transfer/RestoreRun.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "client/document/ArkvaleDoc.h"
#include "client/session/ChildTools.h"
#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/transfer/BarPosition.h"
#include "client/transfer/RestorePipeline.h"
#include "client/transfer/RestoreTarget.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/StopFiles.h"
#include "platform/Files.h"
#include "platform/Replacement.h"

namespace arkvale {

namespace {

// Receives are sized for the data: the server's 1000-byte messages mean nothing inside a file.
constexpr std::size_t kDataChunk = 256 * 1024;

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
              RestoreDestination& destination)
      : doc_(doc),
        session_(session),
        prompt_(doc.prompt()),
        progress_(progress),
        destination_(destination),
        failures_(doc),
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
    // Content in transit never touches these names any more; what an interrupted run left goes.
    for (const char* former : {kRestoreTempCpt, kRestoreTempFile, kRestoreTempGz}) {
      plat::RemoveFile(former);
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

  After Skip(const IndexEntry& row) {
    destination_.Abandoned(row);
    SendWord(socket_, "DO_NOT_SEND_FILE");
    return After::NextFile;
  }

  After RestoreFile(const IndexEntry& row) {
    const std::string& target = row.name;
    if (TakeStopFile(kRestoreStopFile)) {
      SendWord(socket_, "STOP_RESTORE");
      return After::Stop;
    }
    SendWord(socket_, target);
    std::string reply = ReceiveReply(socket_, kReplyCapacity);
    if (reply.empty()) return After::LostConnection;
    const int64_t announced = AnnouncedSize(reply);

    const std::optional<plat::HostPath> place = destination_.Prepare(row, failures_);
    if (!place) return Skip(row);
    plat::Replacement restored;
    if (!restored.Open(*place, destination_.NewFileMode())) {
      const std::string text =
          "Error opening file " + target + " for writing, check the file permissions";
      prompt_.ShowMessage(text, kCaption, Icon::Error, Owner::None);
      failures_.Add(text);
      return Skip(row);
    }
    // The server starts sending while the tools start.
    SendWord(socket_, "SEND_FILE");
    CRestorePipeline pipeline(installDirectory_, key_);
    const CRestorePipeline::Start start = pipeline.Begin(restored.fd());
    // A pipeline that did not start takes the data nowhere, to stay in step with the server.
    if (!Receive(pipeline, announced)) {
      destination_.Abandoned(row);
      return After::LostConnection;
    }
    if (start != CRestorePipeline::Start::Started) {
      const bool decryptor = start == CRestorePipeline::Start::DecryptorFailed;
      ReportSpawnFailure(decryptor ? SpawnCaller::RestoreCcrypt : SpawnCaller::RestoreGzip, prompt_,
                         doc_.eventLog);
      failures_.NotRestored(target, decryptor ? "the decryptor could not be started"
                                              : "the decompressor could not be started");
      destination_.Abandoned(row);
      SendWord(socket_, "OK");
      return After::NextFile;
    }
    CRestorePipeline::Outcome outcome = Wait(pipeline);
    switch (outcome) {
      case CRestorePipeline::Outcome::Complete:
        destination_.Finish(row, *place, restored, failures_);
        break;
      case CRestorePipeline::Outcome::GaveUp:
        // The target was never touched: its old content is still in place.
        if (!destination_.Reports(row, RestoreDestination::Undone::GaveUp)) {
          doc_.Log(kLogError, "File was not restored after restore request");
        }
        destination_.Abandoned(row);
        break;
      case CRestorePipeline::Outcome::NotDecrypted:
        if (!destination_.Reports(row, RestoreDestination::Undone::NotDecrypted)) {
          failures_.NotRestored(target,
                                "its data could not be decrypted, check the encryption key");
        }
        destination_.Abandoned(row);
        break;
      case CRestorePipeline::Outcome::NotDecompressed:
        if (!destination_.Reports(row, RestoreDestination::Undone::NotDecompressed)) {
          failures_.NotRestored(target, "its data could not be decompressed");
        }
        destination_.Abandoned(row);
        break;
    }
    SendWord(socket_, "OK");
    return After::NextFile;
  }

  // Receives exactly the announced bytes into the pipeline, so that what the server sends next
  // is never taken for file data. False when the connection failed.
  bool Receive(CRestorePipeline& pipeline, int64_t announced) {
    buffer_.resize(kDataChunk);
    int64_t received = 0;
    while (received < announced) {
      progress_.SetTransmission(Position(runBytes_, totalBytes_));
      const auto want =
          static_cast<std::size_t>(std::min<int64_t>(announced - received, kDataChunk));
      long got = ReceiveData(socket_, buffer_.data(), want);
      if (got <= 0) return false;
      received += got;
      runBytes_ += static_cast<uint64_t>(got);
      pipeline.Feed(buffer_.data(), static_cast<std::size_t>(got));
    }
    return true;
  }

  // The tools finish what they were fed; the bars move while they work and the user is asked
  // from time to time whether to wait longer.
  CRestorePipeline::Outcome Wait(CRestorePipeline& pipeline) {
    Notches decrypting;
    Notches uncompressing;
    CRestorePipeline::Outcome outcome = pipeline.Finish(
        [&](CRestorePipeline::Stage stage) {
          if (stage == CRestorePipeline::Stage::Decrypting) {
            progress_.SetDecrypting(decrypting.Next());
          } else {
            progress_.SetUncompressing(uncompressing.Next());
          }
        },
        [&] { return prompt_.AskYesNo(kSlowDecryption, kCaption, Icon::Question, Owner::None); },
        destination_.AsksAboutFailedDecryption());
    progress_.SetDecrypting(0);
    progress_.SetUncompressing(0);
    return outcome;
  }

  void ReportFailures() {
    if (failures_.count() == 0) return;
    const std::string text =
        "Files not restored because of an error: " + std::to_string(failures_.count());
    doc_.Log(kLogWarning, text);
    prompt_.ShowMessage(text + "\nPlease check the log file", kCaption, Icon::Warning, Owner::None);
  }

  int Complete() {
    destination_.Settle();
    progress_.SetTransmission(0);
    session_.ReleaseCommsLock(lock_);
    if (!destination_.ReportsEnd()) {
      ReportFailures();
      doc_.Log(kLogInfo, kCompleted);
      prompt_.ShowMessage(kCompleted, kCaption, Icon::Information, Owner::None);
    }
    progress_.DisableStopButton();
    restoreInProgress = false;
    return 0;
  }

  // A reply or data that never came: the server is gone or out of step.
  int EndLost() {
    destination_.Settle();
    progress_.SetTransmission(0);
    session_.ReleaseCommsLock(lock_);
    ReportFailures();
    doc_.Log(kLogError, kLostConnection);
    prompt_.ShowMessage(kLostConnection, kCaption, Icon::Error, Owner::None);
    progress_.DisableStopButton();
    restoreInProgress = false;
    return 1;
  }

  CArkvaleDoc& doc_;
  CSession& session_;
  Prompt& prompt_;
  RestoreProgress& progress_;
  RestoreDestination& destination_;
  RestoreFailures failures_;
  const std::string installDirectory_;
  const std::string key_;
  std::vector<char> buffer_;
  int lock_ = -1;
  int socket_ = -1;
  uint64_t totalBytes_ = 0;
  uint64_t runBytes_ = 0;
};

}  // namespace

int RunRestore(CArkvaleDoc& doc, CSession& session, RestoreProgress& progress,
               const std::vector<IndexEntry>& rows, RestoreDestination* destination) {
  CInPlaceDestination inPlace(doc);
  return CRestoreRun(doc, session, progress, destination != nullptr ? *destination : inPlace)
      .Run(rows);
}

}  // namespace arkvale
