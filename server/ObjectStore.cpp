#include "server/ObjectStore.h"

#include <random>

namespace arkvale::server {

std::string NewObjectId() {
  static const char kHex[] = "0123456789abcdef";
  std::random_device random;
  std::string id;
  for (int i = 0; i < 32; i += 8) {
    unsigned value = random();
    for (int j = 0; j < 8; ++j, value >>= 4) id += kHex[value & 15];
  }
  return id;
}

bool IsObjectId(std::string_view name) {
  if (name.size() != 32) return false;
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

}  // namespace arkvale::server
