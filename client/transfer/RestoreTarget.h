#pragma once
// Making the directory of a file about to be restored, as a walk with the emulated change-drive
// and change-directory.
#include <optional>
#include <string>

#include "platform/Files.h"

namespace arkvale {

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

}  // namespace arkvale
