#pragma once
// One row of the file list: a plain file of the directory the list shows.
#include <cstdint>
#include <ctime>
#include <string>

namespace arkvale {

struct FileRow {
  std::string name;
  uint64_t size = 0;
  std::time_t lastWrite = 0;
};

// Ascending order of two rows by a column: 0 the names without regard to case, 1 the sizes,
// 2 the times of last change. Negative, zero or positive.
int CompareFileRows(const FileRow& a, const FileRow& b, int column);

}  // namespace arkvale
