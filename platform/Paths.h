#pragma once
// Windows paths -> host paths, and the emulated process-wide current drive and directory.
// The host process's own working directory is never changed.
#include <optional>
#include <string>

namespace plat {

// Accepts "C:\dir\file", "c:/dir/file", "\dir" (current drive) and relative names (current
// drive and directory). Refuses (nullopt) a path whose ".." would climb above its drive's root,
// an unknown drive, and an empty path.
std::optional<std::string> ToHostPath(const std::string& windowsPath);

// The same path made absolute and tidy on the Windows side ("c:/a/./b/" -> "C:\a\b"), under
// the same refusals as ToHostPath except that the drive need not be in the table.
std::optional<std::string> FullWindowsPath(const std::string& windowsPath);

// The Windows path of a host file, on the drive whose directory holds it most closely
// ("/home/ann/set.bak" -> "Z:\home\ann\set.bak" with the default table). nullopt for a relative
// path, a path no drive holds, or a name whose Windows form would not turn back into it.
// Characters a Windows name cannot hold are carried as in WindowsNames.h; ToHostPath turns them
// back.
std::optional<std::string> FromHostPath(const std::string& hostPath);

// Like _chdrive: drive 1 = A, 3 = C (letter code - 64). Returns 0, or -1 when out of range or
// the drive is not in the table.
int ChangeDrive(int drive);
// Like _chdir on a Windows path; 0 or -1 (errno set).
int ChangeDirectory(const std::string& windowsPath);
// Current directory as a Windows path, "C:\" at start.
std::string GetCurrentDirectory();
// Like _mkdir; 0, or -1 with errno (EEXIST when it is there already).
int MakeDirectory(const std::string& windowsPath);
// Back to "C:\" on every drive (a new data root starts a new world).
void ResetCurrentDirectory();

}  // namespace plat
