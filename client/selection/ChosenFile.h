#pragma once
#include <cstdint>
#include <string>

namespace arkvale {

// One file chosen by itself.
struct ChosenFile {
  std::string fullPath;
  // The tree's form (C:\data) when made by a click, or ending with a backslash (C:\data\) when
  // read from a backup set file; only the first can equal a chosen directory's path.
  std::string directory;
  std::string name;
  // Size when the record was made; 0 when the file could not be examined.
  int32_t size = 0;
};

}  // namespace arkvale
