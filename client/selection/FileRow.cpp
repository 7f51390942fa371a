#include "client/selection/FileRow.h"

#include <algorithm>

namespace arkvale {

namespace {

int CompareNoCase(const std::string& a, const std::string& b) {
  auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    int ca = lower(static_cast<unsigned char>(a[i]));
    int cb = lower(static_cast<unsigned char>(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

template <typename T>
int CompareValues(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int CompareFileRows(const FileRow& a, const FileRow& b, int column) {
  switch (column) {
    case 0:
      return CompareNoCase(a.name, b.name);
    case 1:
      return CompareValues(a.size, b.size);
    case 2:
      return CompareValues(a.lastWrite, b.lastWrite);
    default:
      return 0;
  }
}

}  // namespace arkvale
