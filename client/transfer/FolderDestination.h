#pragma once
// Restore into a folder: each file goes to FOLDER\<drive letter>\<its path> (PathInFolder) and is
// otherwise restored as at its own place: asked about when one is there, directories made, the
// listed time set. The original file is never read or written.
#include <string>

#include "client/transfer/RestoreTarget.h"

namespace arkvale {

class CFolderDestination : public CInPlaceDestination {
 public:
  // folder in its Windows form (RestoreFolderOf).
  CFolderDestination(CArkvaleDoc& doc, std::string folder);
  std::optional<plat::HostPath> Prepare(const IndexEntry& row, RestoreFailures& failures) override;
  void Finish(const IndexEntry& row, const plat::HostPath& prepared, plat::Replacement& restored,
              RestoreFailures& failures) override;

 private:
  const std::string folder_;
  // The current file as it is placed under the folder.
  IndexEntry placed_;
};

}  // namespace arkvale
