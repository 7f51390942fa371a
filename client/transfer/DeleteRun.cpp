#include "client/transfer/DeleteRun.h"

#include <deque>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Session.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/StopFiles.h"

namespace arkvale {
namespace {

class CDeleteRun {
 public:
  CDeleteRun(CArkvaleDoc& doc, CSession& session, IndexSink& list, DeleteProgress& dialog,
             int timeoutMs)
      : doc_(doc),
        session_(session),
        list_(list),
        dialog_(dialog),
        prompt_(doc.prompt()),
        timeoutMs_(timeoutMs) {}

  int Run(std::vector<std::string> chosen) {
    TakeStopFile(kDeleteStopFile);
    std::deque<std::string> paths(chosen.begin(), chosen.end());
    if (paths.empty()) return EndEarly();
    lock_ = session_.AcquireCommsLock();
    if (lock_ == -1) {
      doc_.Log(kLogWarning, "Failed to get lock during delete request");
      prompt_.ShowMessage("Failed to get lock during delete request", kCaption, Icon::Warning,
                          Owner::None);
      return EndEarly();
    }
    socket_ = session_.sessionSocket;
    SendWord(socket_, "DELETE", timeoutMs_);
    if (ReceiveReply(socket_, kReplyCapacity, timeoutMs_) != "HOW_MANY_FILES") {
      doc_.Log(kLogWarning, "Could not proceed with the delete, check the connection");
      prompt_.ShowMessage("Cannot proceed with the delete, check the connection", kCaption,
                          Icon::Error, Owner::None);
      return EndEarly();
    }
    const std::size_t count = paths.size();
    SendWord(socket_, std::to_string(count), timeoutMs_);
    std::size_t progress = 0;
    while (!paths.empty()) {
      if (TakeStopFile(kDeleteStopFile)) {
        if (ReceiveReply(socket_, kLongReplyCapacity, timeoutMs_) != "SEND_ME_FILE_NAME") {
          doc_.Log(kLogWarning, "Error on request for file info while in stop backup");
          return EndEarly();
        }
        SendWord(socket_, "STOP_DELETE", timeoutMs_);
        break;
      }
      std::string request = ReceiveReply(socket_, kLongReplyCapacity, timeoutMs_);
      // Nothing at all means the server is gone or out of step: asking again cannot help.
      if (request.empty()) return LostConnection();
      if (request != "SEND_ME_FILE_NAME") {
        doc_.Log(kLogWarning, "Error on request for file name");
        prompt_.ShowMessage("Error on request for file name", kCaption, Icon::Warning, Owner::None);
        continue;
      }
      SendWord(socket_, paths.front(), timeoutMs_);
      paths.pop_front();
      progress += 100;
      dialog_.SetDeleteBar(static_cast<int>(progress / count));
    }
    session_.RefreshQuota();
    // The files are gone all the same; the list only keeps showing them.
    if (!RefreshIndex(doc_, socket_, list_, timeoutMs_)) doc_.Log(kLogError, kIndexLostText);
    dialog_.SetDeleteBar(0);
    session_.ReleaseCommsLock(lock_);
    doc_.Log(kLogInfo, kDeleteCompletedText);
    prompt_.ShowMessage(kDeleteCompletedText, kCaption, Icon::Information, Owner::None);
    dialog_.DisableRunButtons();
    deleteInProgress = false;
    return 0;
  }

 private:
  int LostConnection() {
    doc_.Log(kLogError, kDeleteLostText);
    prompt_.ShowMessage(kDeleteLostText, kCaption, Icon::Error, Owner::None);
    return EndEarly();
  }

  int EndEarly() {
    if (lock_ != -1) session_.ReleaseCommsLock(lock_);
    deleteInProgress = false;
    return 1;
  }

  CArkvaleDoc& doc_;
  CSession& session_;
  IndexSink& list_;
  DeleteProgress& dialog_;
  Prompt& prompt_;
  int timeoutMs_;
  int lock_ = -1;
  int socket_ = -1;
};

}  // namespace

int RunDelete(CArkvaleDoc& doc, CSession& session, IndexSink& list, DeleteProgress& dialog,
              std::vector<std::string> paths, int timeoutMs) {
  return CDeleteRun(doc, session, list, dialog, timeoutMs).Run(std::move(paths));
}

}  // namespace arkvale
