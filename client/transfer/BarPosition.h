#pragma once
// Positions of a run's progress bars (0 to 100).
#include <cstdint>

namespace arkvale {

// Bar position for part of whole, computed wide so big files cannot overflow; 0 for an empty
// whole, never beyond a full bar.
inline int Position(uint64_t part, uint64_t whole) {
  if (whole == 0) return 0;
  uint64_t position = part * 100 / whole;
  return position > 100 ? 100 : static_cast<int>(position);
}

// The moving indicator of a child's wait: 5, 10, ... 100, then 5 again.
class Notches {
 public:
  int Next() {
    step_ = step_ % 20 + 1;
    return step_ * 5;
  }

 private:
  int step_ = 0;
};

}  // namespace arkvale
