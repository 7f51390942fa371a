#include "client/transfer/BackupRun.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/selection/BackupSetFile.h"
#include "client/session/ChildTools.h"
#include "client/session/Framing.h"
#include "client/session/Session.h"
#include "client/settings/InstallPaths.h"
#include "client/transfer/BarPosition.h"
#include "client/transfer/FileCopy.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/SendList.h"
#include "client/transfer/StopFiles.h"
#include "client/transfer/Translate.h"
#include "platform/Descriptors.h"
#include "platform/Files.h"
#include "platform/Pipes.h"

namespace arkvale {

namespace {

constexpr std::size_t kDataChunk = 1000;
// What the encryptor writes ahead of the data it encrypts.
constexpr uint64_t kEncryptedHeader = 32;
constexpr const char* kLostConnection = "Lost connection to server during backup";
// The server asks for the next file of its own accord after a verdict or a refusal, so that
// request may arrive together with the reply before it.
constexpr std::string_view kNextRequest = "SEND_ME_FILE_INFO";

enum class Mode { Manual, Automatic };

// The words a server of this protocol answers with when it will not take a file; any other
// unexpected word before the data means the file is not needed.
bool IsRefusal(std::string_view reply) {
  return reply == "BAD_FILE_INFO" || reply == "BAD_SIZE" || reply == "FILE_TRANSFER_ERROR" ||
         reply == "UNKNOWN_COMMAND";
}

// What the loop does after one file.
enum class After { NextFile, LeaveLoop, EndEarly };

class CBackupRun {
 public:
  CBackupRun(Mode mode, CArkvaleDoc& doc, CSession& session, BackupProgress* progress)
      : mode_(mode),
        doc_(doc),
        session_(session),
        prompt_(doc.prompt()),
        progress_(progress),
        installDirectory_(doc.installDirectory),
        key_(doc.EncryptionKey()) {}

  int RunManual(const SelectionSnapshot& selection) {
    TakeStopFile(kBackupStopFile);
    // The dialog still shows the previous run's counts; a run that sends nothing must not keep
    // them.
    progress_->SetFilesTransmitted(0);
    progress_->SetBytesTransmitted(0);
    progress_->RefreshFields();
    lock_ = session_.AcquireCommsLock();
    if (lock_ == -1) {
      doc_.Log(kLogWarning, "Failed to get lock during backup request");
      Show("Failed to get lock during backup request", Icon::Error);
      progress_->DisableStopButton();
      backupInProgress = false;
      return 1;
    }
    scheduleSuspended = true;
    socket_ = session_.sessionSocket;
    SendWord(socket_, "BACKUP");
    sendList_ = BuildSendList(selection, &refused_);
    if (ReceiveWord(socket_, kLongReplyCapacity, {"HOW_MANY_FILES"}) != "HOW_MANY_FILES") {
      doc_.Log(kLogWarning, "Could not proceed with the backup, check the connection");
      Show("Cannot proceed with the backup, check the connection", Icon::Error);
      return EndEarly();
    }
    return Exchange();
  }

  int RunAutomatic(const std::string& backupSetPath) {
    lock_ = session_.AcquireCommsLock();
    for (int waited = 0;
         lock_ == -1 && plat::FileExists(kCommsLockPath) && waited < kAutomaticLockWaitMs;
         waited += kAutomaticLockPollMs) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kAutomaticLockPollMs));
      lock_ = session_.AcquireCommsLock();
    }
    if (lock_ == -1) {
      doc_.Log(kLogError, "m_lock was not free, i.e. communications being used by another thread");
      ResetLastBackup(installDirectory_);
      return 1;
    }
    if (session_.sessionSocket == -1 && session_.ConnectAutomatically() != 0) {
      session_.ReleaseCommsLock(lock_);
      ResetLastBackup(installDirectory_);
      return 1;
    }
    // A session still being opened by Connect has not logged in; the next check tries again.
    socket_ = session_.LoggedInSocket();
    if (socket_ == -1) {
      doc_.Log(kLogWarning,
               "Automatic backup postponed: the session with the server has not logged in yet");
      session_.ReleaseCommsLock(lock_);
      ResetLastBackup(installDirectory_);
      return 1;
    }
    auto set = ReadBackupSetFile(backupSetPath);
    if (!set) {
      doc_.Log(kLogError, "Error opening backup set during automatic backup");
      session_.ReleaseCommsLock(lock_);
      ResetLastBackup(installDirectory_);
      return 1;
    }
    // A damaged set still backs up what could be read, but the shortfall is not silent.
    if (set->error != BackupSetError::None) doc_.Log(kLogWarning, BackupSetErrorText(set->error));
    sendList_ = BuildSendList(*set, &refused_);
    SendWord(socket_, "BACKUP");
    if (ReceiveWord(socket_, kLongReplyCapacity, {"HOW_MANY_FILES"}) != "HOW_MANY_FILES") {
      doc_.Log(kLogWarning, "Could not proceed with the automatic backup, check the connection");
      // Nothing was sent: without a retry at the next check the day's backup would be lost.
      ResetLastBackup(installDirectory_);
      return EndEarly();
    }
    return Exchange();
  }

 private:
  bool manual() const { return mode_ == Mode::Manual; }

  // The boxes of the run itself: the manual run's only.
  void Show(const std::string& text, Icon icon) {
    if (manual()) prompt_.ShowMessage(text, kCaption, icon, Owner::None);
  }

  int Exchange() {
    // Never silent: a file that cannot be offered is named in the log and spoils the summary.
    for (const auto& hostPath : refused_) {
      doc_.Log(kLogWarning, "File not backed up, its name cannot be carried: " + hostPath);
    }
    // A path the server's index cannot list could be stored but never restored.
    std::erase_if(sendList_, [this](const std::string& path) {
      if (FitsIndexLine(path)) return false;
      doc_.Log(
          kLogWarning,
          Tr("BackupRun", "File not backed up, its path is too long for the server's index: ") +
              path);
      ++unlisted_;
      return true;
    });
    SendWord(socket_, std::to_string(sendList_.size()));
    for (const auto& path : sendList_) {
      After after = OfferFile(path);
      if (after == After::LeaveLoop) break;
      if (after == After::EndEarly) return EndEarly();
    }
    return End();
  }

  // A reply that never came (failure, time-out or closed connection) ends the run: the server
  // is gone or out of step, and every further exchange would fail the same way.
  After LostConnection() {
    doc_.Log(kLogError, kLostConnection);
    connectionLost_ = true;
    return After::EndEarly;
  }

  void ShowLostConnection() {
    if (connectionLost_) prompt_.ShowMessage(kLostConnection, kCaption, Icon::Error, Owner::None);
  }

  After OfferFile(const std::string& path) {
    if (manual() && TakeStopFile(kBackupStopFile)) {
      if (ReceiveWord(socket_, kLongReplyCapacity, {kNextRequest}) != kNextRequest) {
        doc_.Log(kLogWarning, "Error on request for file info while in stop backup");
        return After::EndEarly;
      }
      SendWord(socket_, "STOP_BACKUP");
      return After::LeaveLoop;
    }

    int32_t size = 0;
    int32_t modificationTime = 0;
    uint64_t hostSize = 0;
    const auto status = plat::StatFile(path);
    if (status) {
      hostSize = status->size;
      size = static_cast<int32_t>(static_cast<uint32_t>(status->size));
      modificationTime = static_cast<int32_t>(status->modificationTime);
    } else {
      doc_.Log(kLogWarning, "File not found: " + path);
      Show("File not found:\n" + path, Icon::Warning);
    }

    std::string reply = ReceiveWord(socket_, kLongReplyCapacity, {kNextRequest});
    if (reply.empty()) return LostConnection();
    if (reply != kNextRequest) {
      doc_.Log(kLogWarning, "Error on request for file info");
      return After::NextFile;
    }

    SendWord(socket_, FileInfo(path, size, modificationTime));
    reply = ReceiveWord(socket_, kReplyCapacity, {"SEND_FILE"}, {kNextRequest});
    std::string text = "File: " + path + "   size=" + std::to_string(size);
    if (reply.empty()) return LostConnection();
    if (IsRefusal(reply)) return Refused(text, reply);
    if (reply != "SEND_FILE") {
      doc_.Log(kLogInfo, text +
                             "  File not transfered because a later or equivalent copy exists on "
                             "the backup server or zero size file");
      // A vanished file was not backed up, whatever the server thinks of its description.
      if (status) ++heldCount_;
      return After::NextFile;
    }

    // A fresh copy, so it is created readable by its owner only.
    plat::RemoveFile(kBackupTempFile);
    if (my_file_copy(path, kBackupTempFile, prompt_, doc_.eventLog,
                     manual() ? Owner::BackupDialog : Owner::MainWindow) != 0) {
      SendWord(socket_, "0");
      return After::NextFile;
    }
    if (!CompressAndEncrypt(hostSize)) {
      doc_.Log(kLogWarning, std::string("Encrypted file not found: ") + kBackupTempCpt);
      Show(std::string("Encrypted file not found:\n") + kBackupTempCpt, Icon::Warning);
      // Nothing to send: "0" keeps the dialogue in step, as for a failed copy.
      SendWord(socket_, "0");
      return After::NextFile;
    }
    uint64_t encryptedSize = 0;
    if (auto encrypted = plat::StatFile(kBackupTempCpt)) encryptedSize = encrypted->size;
    SendWord(socket_, std::to_string(encryptedSize));
    reply = ReceiveWord(socket_, kLongReplyCapacity, {"BEGIN_TO_SEND_THE_FILE"}, {kNextRequest});
    if (reply.empty()) return LostConnection();
    if (IsRefusal(reply)) return Refused(text, reply);
    if (reply != "BEGIN_TO_SEND_THE_FILE") {
      doc_.Log(kLogWarning, "Error on request for file info");
      return After::NextFile;
    }

    FILE* encrypted = plat::OpenStream(kBackupTempCpt, "rb");
    if (encrypted == nullptr) {
      doc_.Log(kLogError, text + "   Failed to open the file");
      plat::RemoveFile(kBackupTempCpt);
      return After::EndEarly;
    }
    if (!SendData(encrypted, encryptedSize)) {
      doc_.Log(kLogWarning, "Problem reading file");
      Show("Problem reading file", Icon::Warning);
      doc_.Log(kLogError, text + "  Error while transfering the file");
      std::fclose(encrypted);
      plat::RemoveFile(kBackupTempCpt);
      return After::NextFile;
    }

    reply = ReceiveWord(socket_, kReplyCapacity, {"FILE_TRANSFER_SUCCESS", "FILE_TRANSFER_FAILURE"},
                        {kNextRequest});
    std::fclose(encrypted);
    plat::RemoveFile(kBackupTempCpt);
    if (reply == "FILE_TRANSFER_SUCCESS") {
      ++transferredCount_;
      if (progress_) {
        progress_->SetFilesTransmitted(transferredCount_);
        progress_->RefreshFields();
      }
      doc_.Log(kLogInfo, text + "  File transfered sucessfully");
      return After::NextFile;
    }
    if (reply == "FILE_TRANSFER_FAILURE") {
      doc_.Log(kLogError, text + "  File not transfered sucessfully; Check your quota");
      Show("File transfer failed check your quota", Icon::Error);
      return After::LeaveLoop;
    }
    if (IsRefusal(reply)) {
      Refused(text, reply);
      Show("File transfer failed check your connection", Icon::Error);
      // The server closes the dialogue after refusing data.
      return After::LeaveLoop;
    }
    doc_.Log(kLogError, text + "  File not transfered sucessfully; Check your connection");
    if (reply.empty()) return LostConnection();
    Show("File transfer failed check your connection", Icon::Error);
    return After::LeaveLoop;
  }

  // The file was not stored; it counts against the summary.
  After Refused(const std::string& text, const std::string& word) {
    doc_.Log(kLogWarning,
             text + Tr("BackupRun", "  File not backed up, the server refused it: ") + word);
    return After::NextFile;
  }

  // The bound of a wait for a child working on a file of fileSize bytes.
  static std::chrono::milliseconds WaitLimit(uint64_t fileSize) {
    return std::chrono::milliseconds(kChildWaitBaseMs) +
           std::chrono::milliseconds(kChildWaitPerMegabyteMs) *
               static_cast<int64_t>(fileSize / 1000000);
  }

  // The copy compressed straight into the encryptor, which writes kBackupTempCpt: the whole
  // encrypted size is known before it is announced. True when both tools finished well; otherwise
  // no .cpt is left, so a partial one can never be sent. The copy is gone either way.
  bool CompressAndEncrypt(uint64_t fileSize) {
    // A leftover of a run that was cut short, when the tools still worked one after the other.
    plat::RemoveFile(kBackupTempGz);
    plat::RemoveFile(kBackupTempCpt);
    bool done = Pipeline(fileSize);
    plat::RemoveFile(kBackupTempFile);
    if (!done) plat::RemoveFile(kBackupTempCpt);
    return done;
  }

  // The two tools joined; false when either could not start, failed or outran its bound.
  bool Pipeline(uint64_t fileSize) {
    const int encrypted = plat::CreateExclusive(kBackupTempCpt);
    int between[2] = {-1, -1};
    if (encrypted == -1 || !plat::MakePipe(between)) {
      if (encrypted != -1) plat::CloseDescriptor(encrypted);
      return false;
    }
    ChildProcess compressor, encryptor;
    const bool compressing = compressor.Start(installDirectory_, ChildTool::Gzip,
                                              BackupCompressWords(), {-1, between[1]});
    if (!compressing) {
      ReportSpawnFailure(
          manual() ? SpawnCaller::ManualBackupGzip : SpawnCaller::AutomaticBackupGzip, prompt_,
          doc_.eventLog);
    }
    const bool encrypting = encryptor.Start(installDirectory_, ChildTool::Ccrypt,
                                            BackupEncryptWords(key_), {between[0], encrypted});
    if (!encrypting) {
      ReportSpawnFailure(
          manual() ? SpawnCaller::ManualBackupCcrypt : SpawnCaller::AutomaticBackupCcrypt, prompt_,
          doc_.eventLog);
    }
    // The children hold their own ends: the encryptor sees the end of its input only once ours
    // are closed too.
    plat::CloseEnd(between[0]);
    plat::CloseEnd(between[1]);
    bool done = compressing && encrypting;
    if (done) {
      // Both work from the start: the Encrypting bar moves beside the Compressing one, whose
      // position is the growth of the encrypted data (the compressed data behind a short header).
      Notches notches;
      const auto notch = [&] {
        if (progress_) progress_->SetEncrypting(notches.Next());
      };
      done = AwaitEnd(compressor, fileSize, [&] {
        if (!progress_) return;
        const uint64_t written = plat::SizeOf(encrypted).value_or(0);
        const uint64_t compressed = written > kEncryptedHeader ? written - kEncryptedHeader : 0;
        progress_->SetCompressing(Position(compressed, fileSize));
        notch();
      });
      if (progress_) progress_->SetCompressing(0);
      done = done && AwaitEnd(encryptor, fileSize, notch);
      if (progress_) progress_->SetEncrypting(0);
      done = done && compressor.exitCode() == 0 && encryptor.exitCode() == 0;
    }
    // Whatever is still running has failed or run out of time: nothing waits for it.
    compressor.Stop();
    encryptor.Stop();
    plat::CloseDescriptor(encrypted);
    return done;
  }

  // Waits for the child's end within the bound for a file of fileSize bytes.
  static bool AwaitEnd(ChildProcess& child, uint64_t fileSize, const std::function<void()>& tick) {
    return AwaitChildEnd(child, WaitLimit(fileSize), tick);
  }

  // Streams the file in 1000-byte pieces, one send each; false on a read error. A failed send
  // ends the stream; the verdict that then never comes reports it.
  bool SendData(FILE* file, uint64_t size) {
    char buffer[kDataChunk];
    uint64_t read = 0;
    while (!std::feof(file)) {
      if (progress_)
        progress_->SetTransmission(Position(sessionBytesSent_, progress_->BytesSelected()));
      std::size_t got = std::fread(buffer, 1, sizeof buffer, file);
      if (std::ferror(file)) return false;
      if (got == 0) continue;
      read += got;
      // Pieces before the last may share segments; the last goes out at once.
      long sent = SendBytes(socket_, buffer, got, read < size);
      if (sent > 0) sessionBytesSent_ += static_cast<uint64_t>(sent);
      if (progress_) {
        progress_->SetBytesTransmitted(static_cast<uint32_t>(sessionBytesSent_));
        progress_->RefreshFields();
      }
      if (sent < 0) break;
    }
    return true;
  }

  int End() {
    session_.RefreshQuota();
    const std::size_t chosen = sendList_.size() + refused_.size() + unlisted_;
    // A file the server already holds needs no sending, so it is accounted for.
    const bool complete = transferredCount_ + heldCount_ == chosen;
    const std::string shortfall =
        "Actual number of files transfered in session (" + std::to_string(transferredCount_) +
        ") differs from number of files chosen (" + std::to_string(chosen) + ")";
    if (manual()) {
      progress_->SetTransmission(0);
      if (complete) {
        doc_.Log(kLogInfo, "All files in session transferred succesfully", 1);
        Show("All files in session transferred succesfully", Icon::Information);
      } else {
        doc_.Log(kLogWarning, shortfall, 1);
        Show(shortfall + "\nPlease check the log file", Icon::Warning);
      }
      Finish();
      return 0;
    }
    scheduleSuspended = false;
    session_.ReleaseCommsLock(lock_);
    if (complete) {
      doc_.Log(kLogInfo, "Automatic backup: All files in session transferred succesfully", 1);
      prompt_.ShowMessage("Finished automatic backup, All files in session transferred succesfully",
                          kCaption, Icon::None, Owner::None);
    } else {
      doc_.Log(kLogWarning, "Automatic backup: " + shortfall, 1);
      prompt_.ShowMessage("Automatic backup: " + shortfall + "\nPlease check the log file",
                          kCaption, Icon::Warning, Owner::None);
    }
    return 0;
  }

  // The manual run keeps the lock while its box is open, the automatic run does not.
  int EndEarly() {
    if (manual()) {
      ShowLostConnection();
      Finish();
    } else {
      session_.ReleaseCommsLock(lock_);
      ShowLostConnection();
    }
    return 1;
  }

  // The manual run's last steps; the dialog may go away once backupInProgress is clear.
  void Finish() {
    session_.ReleaseCommsLock(lock_);
    scheduleSuspended = false;
    progress_->DisableStopButton();
    backupInProgress = false;
  }

  const Mode mode_;
  CArkvaleDoc& doc_;
  CSession& session_;
  Prompt& prompt_;
  BackupProgress* progress_;
  const std::string installDirectory_;
  const std::string key_;
  int lock_ = -1;
  int socket_ = -1;
  std::vector<std::string> sendList_;
  std::vector<std::string> refused_;
  uint32_t transferredCount_ = 0;
  uint32_t heldCount_ = 0;
  std::size_t unlisted_ = 0;
  uint64_t sessionBytesSent_ = 0;
  bool connectionLost_ = false;
};

}  // namespace

int RunBackup(CArkvaleDoc& doc, CSession& session, BackupProgress& progress,
              const SelectionSnapshot& selection) {
  return CBackupRun(Mode::Manual, doc, session, &progress).RunManual(selection);
}

int RunAutomaticBackup(CArkvaleDoc& doc, CSession& session, const std::string& backupSetPath) {
  return CBackupRun(Mode::Automatic, doc, session, nullptr).RunAutomatic(backupSetPath);
}

void ResetLastBackup(const std::string& installDirectory) {
  plat::WriteFileAtomically(installDirectory + kLastBackupName, "100");
}

}  // namespace arkvale
