#pragma once
#include <cstdint>
#include <string>

namespace arkvale {

// One ticked directory: stands for the plain files directly inside it, not its subdirectories.
struct ChosenDirectory {
  // A drive root keeps its backslash (C:\); deeper directories have none at the end.
  std::string path;
  int32_t kind = 2;
  uint8_t flag = 1;
  int32_t spare = 0;
};

}  // namespace arkvale
