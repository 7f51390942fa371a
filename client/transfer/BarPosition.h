#pragma once
// The position of a run's progress bar (0 to 100).
#include <cstdint>

namespace arkvale {

// Bar position for part of whole, computed wide so big files cannot overflow; 0 for an empty
// whole, never beyond a full bar.
inline int Position(uint64_t part, uint64_t whole) {
  if (whole == 0) return 0;
  uint64_t position = part * 100 / whole;
  return position > 100 ? 100 : static_cast<int>(position);
}

}  // namespace arkvale
