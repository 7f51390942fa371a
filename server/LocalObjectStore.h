#pragma once
// Stored data as files in one directory. New data is written to "<id>.part", flushed to disk and
// renamed into place, and the directory is flushed, so a crash leaves either nothing or a complete
// file. One server owns the directory (server.lock), so the sweep need not spare young files.
#include <string>

#include "server/ObjectStore.h"

namespace arkvale::server {

class LocalObjectStore : public ObjectStore {
 public:
  // Creates the directory (owner only) when missing.
  explicit LocalObjectStore(std::string directory);

  std::unique_ptr<Upload> BeginUpload(std::uint64_t bytes) override;
  std::unique_ptr<Reader> Open(const std::string& id) override;
  void Remove(const std::string& id) override;
  void Sweep(const std::set<std::string>& referenced) override;

 private:
  class FileUpload;
  class FileReader;
  std::string PathOf(const std::string& name) const { return directory_ + "/" + name; }
  void SyncDirectory();

  std::string directory_;
};

}  // namespace arkvale::server
