#pragma once
// Compare: each file's content comes back to a scratch place under C:\ readable by its owner
// only, is compared with the file at its own path and let go. Nothing is written at any user
// path. The run ends with the results and their summary instead of "Restore operation completed".
#include <vector>

#include "client/transfer/CompareResult.h"
#include "client/transfer/RestoreDestination.h"
#include "client/transfer/RestoreProgress.h"

namespace arkvale {

class CArkvaleDoc;

class CCompareDestination : public RestoreDestination {
 public:
  CCompareDestination(CArkvaleDoc& doc, RestoreProgress& progress);

  std::optional<plat::HostPath> Prepare(const IndexEntry& row, RestoreFailures& failures) override;
  void Finish(const IndexEntry& row, const plat::HostPath& prepared, plat::Replacement& restored,
              RestoreFailures& failures) override;
  unsigned NewFileMode() const override { return 0600; }
  bool Reports(const IndexEntry& row, Undone why) override;
  void Abandoned(const IndexEntry& row) override;
  bool AsksAboutFailedDecryption() const override { return false; }
  bool ReportsEnd() override;

  const std::vector<CompareResult>& results() const { return results_; }

 private:
  // Logs a result other than same at level 1 and keeps it for the end.
  void Record(CompareResult result);

  CArkvaleDoc& doc_;
  RestoreProgress& progress_;
  std::vector<CompareResult> results_;
  // Whether the current file has its result.
  bool recorded_ = false;
};

}  // namespace arkvale
