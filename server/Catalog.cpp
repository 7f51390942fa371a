#include "server/Catalog.h"

namespace arkvale::server {

// Rounds up without adding first: the data size comes from the client and may be near the limit.
std::int64_t KilobytesOf(std::int64_t bytes) {
  return bytes <= 0 ? 0 : bytes / 1024 + (bytes % 1024 != 0 ? 1 : 0);
}

std::vector<StoredFile> Catalog::Files(const std::string& user) {
  std::vector<StoredFile> files;
  EachFile(user, [&](const StoredFile& file) { files.push_back(file); });
  return files;
}

bool Supersedes(const StoredFile& stored, const StoredFile& offered) {
  return stored.size == offered.size && stored.modified >= offered.modified;
}

}  // namespace arkvale::server
