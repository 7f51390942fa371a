#pragma once
// The object store named on the command line: local files in the data directory, or an S3 bucket
// ("s3://BUCKET" or "s3://BUCKET/PREFIX") with its endpoint, region and credentials taken from the
// options or the usual AWS_* environment variables.
#include <cstdint>
#include <memory>
#include <string>

#include "server/ObjectStore.h"

namespace arkvale::server {

struct ObjectStoreConfig {
  std::string uri;              // empty: local files
  std::string endpoint;         // else AWS_ENDPOINT_URL
  std::string credentialsFile;  // else AWS_ACCESS_KEY_ID / AWS_SECRET_ACCESS_KEY
  std::int64_t graceSeconds = 3600;
};

// Throws std::runtime_error with a message for the person who started the server.
std::unique_ptr<ObjectStore> OpenObjectStore(const ObjectStoreConfig& config,
                                             const std::string& objectsDirectory);

}  // namespace arkvale::server
