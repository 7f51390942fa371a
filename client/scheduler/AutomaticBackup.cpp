#include "client/scheduler/AutomaticBackup.h"

#include "client/transfer/BackupRun.h"

namespace arkvale {

CAutomaticBackup::CAutomaticBackup(CArkvaleDoc& doc, CSession& session)
    : doc_(doc), session_(session) {}

CAutomaticBackup::~CAutomaticBackup() {
  for (Run& run : runs_) {
    if (run.thread.joinable()) run.thread.join();
  }
}

int CAutomaticBackup::StartAutomaticBackup(const std::string& backupSetPath) {
  ForgetFinishedRuns();
  automaticBackupSet = backupSetPath;
  auto done = std::make_shared<std::atomic<bool>>(false);
  ++automaticBackupsRunning;
  std::thread thread([this, done, path = automaticBackupSet] {
    RunAutomaticBackup(doc_, session_, path);
    --automaticBackupsRunning;
    *done = true;
  });
  runs_.push_back({std::move(thread), std::move(done)});
  return 0;
}

void CAutomaticBackup::ForgetFinishedRuns() {
  std::vector<Run> going;
  for (Run& run : runs_) {
    if (*run.done) {
      run.thread.join();
    } else {
      going.push_back(std::move(run));
    }
  }
  runs_ = std::move(going);
}

}  // namespace arkvale
