#pragma once
// Puts finished restored files in place on threads of their own: flushing a file to disk is the
// slowest step of a small file, so it overlaps the next file's exchange, and the flushes of files
// in flight together are committed to disk together.
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/Files.h"
#include "platform/Replacement.h"

namespace arkvale {

class RestoreFailures;

class CRestorePlacer {
 public:
  CRestorePlacer() = default;
  ~CRestorePlacer();
  CRestorePlacer(const CRestorePlacer&) = delete;
  CRestorePlacer& operator=(const CRestorePlacer&) = delete;

  // Commits restored over place and gives it the time modified; a failure is reported to
  // failures as target's. Waits while many files are in flight already.
  void Add(plat::Replacement restored, const plat::HostPath& place, const std::string& target,
           std::time_t modified, RestoreFailures& failures);
  // Returns once every file added is in place (or reported).
  void Settle();

 private:
  struct Item {
    plat::Replacement restored;
    plat::HostPath place;
    std::string target;
    std::time_t modified;
    RestoreFailures* failures;
  };
  void Work();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Item> queue_;
  std::size_t busy_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace arkvale
