#pragma once
// Starts the automatic backup run of a backup set on a worker thread of its own.
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace arkvale {

class CArkvaleDoc;
class CSession;

// Automatic runs under way in this process; the program ends around them when its window goes.
inline std::atomic<int> automaticBackupsRunning{0};

class CAutomaticBackup {
 public:
  CAutomaticBackup(CArkvaleDoc& doc, CSession& session);
  // Waits for the runs still going.
  ~CAutomaticBackup();
  CAutomaticBackup(const CAutomaticBackup&) = delete;
  CAutomaticBackup& operator=(const CAutomaticBackup&) = delete;

  // Runs RunAutomaticBackup of backupSetPath on a new thread; returns 0.
  int StartAutomaticBackup(const std::string& backupSetPath);

 private:
  struct Run {
    std::thread thread;
    std::shared_ptr<std::atomic<bool>> done;
  };
  // Joins the threads of finished runs; one still going (waiting on its box, say) is left be.
  void ForgetFinishedRuns();

  CArkvaleDoc& doc_;
  CSession& session_;
  // The backup set handed to the latest run.
  std::string automaticBackupSet;
  std::vector<Run> runs_;
};

}  // namespace arkvale
