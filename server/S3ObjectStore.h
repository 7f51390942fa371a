#pragma once
// Stored data as objects in an S3 bucket, shared by any number of servers. An upload goes to the
// store as it arrives: a small one as one PUT, a large one as a multipart upload in parts of 8 to
// 64 MiB, each checked by the store against its Content-MD5. The sweep spares objects younger than
// a grace period (another server may be about to record them) and aborts multipart uploads left
// incomplete for longer than that.
#include <cstdint>
#include <string>

#include "server/ObjectStore.h"
#include "server/S3Client.h"

namespace arkvale::server {

struct S3StoreConfig {
  S3Location location;
  std::string prefix;  // keys are PREFIX/ID, or ID without a prefix
  std::int64_t graceSeconds = 3600;
};

class S3ObjectStore : public ObjectStore {
 public:
  explicit S3ObjectStore(S3StoreConfig config);

  std::unique_ptr<Upload> BeginUpload(std::uint64_t bytes) override;
  std::unique_ptr<Reader> Open(const std::string& id) override;
  void Remove(const std::string& id) override;
  void Sweep(const std::set<std::string>& referenced) override;

  std::string KeyOf(const std::string& id) const { return keyPrefix_ + id; }
  const S3Client& client() const { return client_; }

 private:
  class S3Upload;
  class S3Reader;
  void SweepObjects(const std::set<std::string>& referenced);
  void SweepUploads();

  S3StoreConfig config_;
  S3Client client_;
  std::string keyPrefix_;
};

// Size of the parts an upload of bytes is sent in.
std::size_t PartSizeFor(std::uint64_t bytes);

}  // namespace arkvale::server
