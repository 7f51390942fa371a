#pragma once
// Path helpers of the selection. Comparisons are exact and case-sensitive.
#include <cstdint>
#include <string>

namespace arkvale {

// directory + name, with a backslash between them unless directory already ends with one.
std::string JoinPath(const std::string& directory, const std::string& name);

// True when path is directory itself or lies beneath it. A separator must follow the directory
// (or end it), so C:\database and C:\data.txt do not lie under C:\data.
bool LiesUnder(const std::string& path, const std::string& directory);

// Drive and directory components of a full path, ending with the last separator (C:\data\ for
// C:\data\a.txt); just the drive, or empty, when there is no separator.
std::string DirectoryPart(const std::string& fullPath);
// File name and extension: what follows the drive and directory components.
std::string NamePart(const std::string& fullPath);

// Size from the file system as the selection records it: 0 when it cannot be examined, and
// wrapped to 32 bits.
int32_t FileSizeOf(const std::string& fullPath);

}  // namespace arkvale
