#pragma once
// Checking a stored file against the file at its original path: the restore run brings the stored
// copy back to a temporary place and the comparison reads both, byte for byte, writing nothing.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "client/transfer/IndexEntry.h"

namespace arkvale {

enum class CompareOutcome {
  Same,
  Differs,
  Missing,  // no file at the original path on this computer
  Damaged,  // the stored copy could not be decrypted or decompressed
  // Something on this side kept the comparison from being made (an unreadable original, a
  // decryption the user stopped waiting for); the detail says what.
  NotCompared
};

struct CompareResult {
  std::string path;  // the stored path, as the index lists it
  CompareOutcome outcome = CompareOutcome::NotCompared;
  // The stored copy: its size once restored (the listed size when it could not be), listed time.
  uint64_t storedSize = 0;
  std::time_t storedTime = 0;
  // The file at the original path, when there is one.
  bool hasLocal = false;
  uint64_t localSize = 0;
  std::time_t localTime = 0;
  std::string detail;
};

// Compares the stored copy brought back (the file behind restoredFd, read from its start) with the
// file at the row's own path, reading both and changing neither.
CompareResult CompareWithOriginal(const IndexEntry& row, int restoredFd);

// A row whose stored copy did not come back whole (wrong key, damaged data); the original is
// looked at only for its size and time.
CompareResult DamagedResult(const IndexEntry& row, const std::string& detail);
CompareResult NotComparedResult(const IndexEntry& row, const std::string& detail);

// "same", "differs", ... as the results list and the log name them.
std::string OutcomeText(CompareOutcome outcome);
// Local time to the second, "2026-12-07 19:04:33"; empty when it has no local form.
std::string CompareTimeText(std::time_t when);
// The level-1 log entry for a result other than Same; empty for Same.
std::string CompareLogText(const CompareResult& result);
// "N same, N differ, N missing, N damaged", and ", N not compared" when there are any.
std::string CompareSummary(const std::vector<CompareResult>& results);

}  // namespace arkvale
