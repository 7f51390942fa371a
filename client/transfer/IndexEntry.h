#pragma once
// One file stored on the backup server, as a line of the server's listing gives it.
#include <cstddef>
#include <cstdint>
#include <string>

namespace arkvale {

// The buffer a line of the index file is read with: a line is whole at up to 999 characters,
// line end included.
inline constexpr std::size_t kIndexLineBuffer = 1000;

struct IndexEntry {
  // The full path the file had on the client; sent back unchanged by the restore and delete runs.
  std::string name;
  int32_t size = 0;
  // Seconds since 1970-01-01 00:00 UTC.
  int32_t modified = 0;
};

}  // namespace arkvale
