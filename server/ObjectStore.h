#pragma once
// Where stored data lives: one object per stored copy, named by a generated id (never by the
// client's path). The exchanges only see this interface; the data may sit in local files or in an
// S3 bucket. An upload is complete in the store before its id is handed out, so the catalog row
// that refers to it is only written for whole data.
#include <cstddef>
#include <cstdint>
#include <memory>
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
  virtual ~ObjectStore() = default;

  // Data being received. Destroyed before Commit, it removes (or aborts) what it wrote.
  class Upload {
   public:
    virtual ~Upload() = default;
    virtual void Write(std::string_view data) = 0;
    // Makes the data complete and durable in the store; returns its id.
    virtual std::string Commit() = 0;
  };

  // Stored data being read from its start.
  class Reader {
   public:
    virtual ~Reader() = default;
    virtual std::uint64_t size() const = 0;
    // Up to capacity bytes; 0 only at the end. Throws StoreError when the data cannot be read.
    virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
  };

  // bytes is the length the client announced; a store may size its transfer by it.
  virtual std::unique_ptr<Upload> BeginUpload(std::uint64_t bytes) = 0;
  // nullptr when the object is missing; throws StoreError when the store cannot tell.
  virtual std::unique_ptr<Reader> Open(const std::string& id) = 0;
  // Best effort: data left behind is the sweep's to remove.
  virtual void Remove(const std::string& id) = 0;
  // Removes leftovers of interrupted uploads and data the catalog no longer refers to.
  virtual void Sweep(const std::set<std::string>& referenced) = 0;
};

// A fresh object id: 32 lowercase hex digits.
std::string NewObjectId();
bool IsObjectId(std::string_view name);

}  // namespace arkvale::server
