#pragma once
// The files a backup run offers, in the order it offers them.
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "client/selection/BackupSetFile.h"
#include "client/selection/Selection.h"

namespace arkvale {

// The plain files directly inside each chosen directory, then every chosen file whose directory
// is not, written exactly so, a chosen directory's path.
// Files of a chosen directory whose names cannot be carried are not in the list; their host paths
// go to refusedHostPaths when given.
std::vector<std::string> BuildSendList(const SelectionSnapshot& selection,
                                       std::vector<std::string>* refusedHostPaths = nullptr);

// The same from a backup set: a file line is left out only when the directory that directly
// holds it is one of the set's directory lines (with or without its final backslash), so every
// file of the set is offered once.
std::vector<std::string> BuildSendList(const BackupSetContents& set,
                                       std::vector<std::string>* refusedHostPaths = nullptr);

// Whether the server's index can list path on one whole line, whatever sizes and time stand beside
// it: a path it cannot list could be stored but never restored.
bool FitsIndexLine(const std::string& path);

// How a file is described to the server: path?size?time, both numbers as signed 32-bit decimals.
std::string FileInfo(const std::string& path, int32_t size, int32_t modificationTime);

}  // namespace arkvale
