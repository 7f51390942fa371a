#pragma once
// One file stored on the backup server, as a line of the server's listing gives it.
#include <cstdint>
#include <string>

namespace arkvale {

struct IndexEntry {
  // The full path the file had on the client; sent back unchanged by the restore and delete runs.
  std::string name;
  int32_t size = 0;
  // Seconds since 1970-01-01 00:00 UTC.
  int32_t modified = 0;
};

}  // namespace arkvale
