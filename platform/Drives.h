#pragma once
// The drive table: drive letters mapped to host directories through a folder of symbolic links,
// dosdevices/<letter>: under the per-user data directory. Default: c: -> drive_c, z: -> /.
// A user adds a drive with one `ln -s`; an optional file dosdevices/<letter>:.type holding
// "removable" or "cdrom" gives the drive another kind than fixed.
#include <cstdint>
#include <optional>
#include <string>

namespace plat {

// $XDG_DATA_HOME/arkvale, else $HOME/.local/share/arkvale, unless overridden.
std::string DataRoot();
// Tests and tools point the whole Windows world at another host directory (in-process); an
// empty name returns to the environment's. The current directory goes back to "C:\".
void SetDataRoot(const std::string& hostDir);
std::string DosDevicesDir();
// Creates the default table (and drive_c) on first use; idempotent.
void EnsureDriveTable();

// Bit 0 = A:, bit 2 = C:, ... for every entry of the table, target present or not.
uint32_t GetLogicalDrives();

enum DriveType : int {
  kDriveUnknown = 0,
  kDriveNoRootDir = 1,
  kDriveRemovable = 2,
  kDriveFixed = 3,
  kDriveRemote = 4,
  kDriveCdrom = 5,
  kDriveRamdisk = 6,
};
// root is "C:\" (either case); a missing entry or a missing target is kDriveNoRootDir.
DriveType GetDriveType(const std::string& root);

// Host directory of a drive letter (either case), or nullopt when the table has no such drive.
std::optional<std::string> DriveHostRoot(char letter);

}  // namespace plat
