#pragma once
// A restored file's own place: its directory made with a walk of the emulated change-drive and
// change-directory, and the restore destination that puts files back where they were.
#include <optional>
#include <string>

#include "client/settings/Prompt.h"
#include "client/transfer/RestoreDestination.h"
#include "platform/Files.h"

namespace arkvale {

inline constexpr const char* kRestoreSafetyCopy = "C:\\restore_file_name_tempxyz555";
inline constexpr const char* kDriveChangeError = "Error changing to drive during restore operation";
inline constexpr const char* kMakeDirectoryError =
    "Error making directory during restore operation";

enum class TargetDirectory { Ready, DriveFailed, DirectoryFailed, Refused };

// Nothing to do when the directory of place (the target translated) exists. A target whose ".."
// climbs above its drive's root is Refused before anything is made. Otherwise makes its drive
// current (its letter's code - 64, so a lower-case letter fails), then its root, then enters or
// creates each directory in turn. The current drive and directory are as before afterwards.
TargetDirectory PrepareTargetDirectory(const std::string& target,
                                       const std::optional<plat::HostPath>& place);

// Puts each file back at its own path. An existing file (or a symbolic link, which is replaced
// itself, never written through) is asked about first; anything else in the way is left alone.
// A replaced file's old content is kept in the safety copy and the new one gets the file's mode
// and the time the index lists, so the next backup does not take it for a changed file.
class CInPlaceDestination : public RestoreDestination {
 public:
  explicit CInPlaceDestination(CArkvaleDoc& doc);
  std::optional<plat::HostPath> Prepare(const IndexEntry& row, RestoreFailures& failures) override;
  void Finish(const IndexEntry& row, const plat::HostPath& prepared, plat::Replacement& restored,
              RestoreFailures& failures) override;

 private:
  CArkvaleDoc& doc_;
  Prompt& prompt_;
  // Whether the current file's old content is worth a safety copy.
  bool keepsOld_ = false;
};

}  // namespace arkvale
