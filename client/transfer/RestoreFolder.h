#pragma once
// Where a restore puts files when the user chose a folder instead of their own paths: one
// subfolder per drive under it, so files of several drives, and the originals, never meet.
#include <optional>
#include <string>

namespace arkvale {

// The Windows form of the folder typed or chosen: a host path ("/home/ann/restored") as the drive
// table names it, a Windows path ("d:/restored/") made absolute and tidy. nullopt for text that
// names no folder on a drive of the table: empty, relative, climbing above its root, a drive the
// table lacks, or a file standing at that place.
std::optional<std::string> RestoreFolderOf(const std::string& typed);

// FOLDER\<drive letter>\<stored path without its drive>: "C:\Users\ann\a.txt" into "D:\restored"
// is "D:\restored\C\Users\ann\a.txt". Names keep their private-use characters. nullopt for a stored
// path that is not absolute on a drive, or whose "." or ".." parts would move it elsewhere.
std::optional<std::string> PathInFolder(const std::string& folder, const std::string& storedPath);

}  // namespace arkvale
