#pragma once
// The stored data: one file per stored copy, named by a generated id (never by the client's
// path). New data is written to "<id>.part", flushed to disk and renamed into place, and the
// directory is flushed, so a crash leaves either nothing or a complete file.
#include <cstdint>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>

namespace arkvale::server {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ObjectStore {
 public:
  // Creates the directory (owner only) when missing.
  explicit ObjectStore(std::string directory);

  // Data being received. Destroyed before Commit, it removes what it wrote.
  class Upload {
   public:
    explicit Upload(ObjectStore& store);
    ~Upload();
    Upload(const Upload&) = delete;
    Upload& operator=(const Upload&) = delete;
    void Write(std::string_view data);
    // Flushes and renames the data into place; returns its id.
    std::string Commit();

   private:
    ObjectStore& store_;
    std::string id_;
    int fd_ = -1;
  };

  // A descriptor open for reading, or -1 when the object is missing.
  int Open(const std::string& id) const;
  void Remove(const std::string& id);
  // Removes leftovers of interrupted uploads and data the catalog no longer refers to.
  void Sweep(const std::set<std::string>& referenced);

 private:
  std::string PathOf(const std::string& name) const { return directory_ + "/" + name; }
  void SyncDirectory();

  std::string directory_;
};

}  // namespace arkvale::server
