#include "server/OpenObjectStore.h"

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "server/LocalObjectStore.h"
#include "server/S3ObjectStore.h"

namespace arkvale::server {

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// Access key on the first line, secret key on the second; a file others can read is refused,
// as ssh refuses such a key.
void ReadCredentials(const std::string& path, S3Location& location) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0)
    throw std::runtime_error("cannot read the credentials file " + path);
  if (status.st_mode & (S_IRWXG | S_IRWXO))
    throw std::runtime_error("the credentials file " + path +
                             " is open to group or others; chmod 600 it");
  std::ifstream in(path);
  std::getline(in, location.accessKey);
  std::getline(in, location.secretKey);
  for (std::string* line : {&location.accessKey, &location.secretKey})
    if (!line->empty() && line->back() == '\r') line->pop_back();
  if (location.accessKey.empty() || location.secretKey.empty())
    throw std::runtime_error("the credentials file " + path +
                             " needs the access key on its first line and the secret key on its "
                             "second");
}

}  // namespace

std::unique_ptr<ObjectStore> OpenObjectStore(const ObjectStoreConfig& config,
                                             const std::string& objectsDirectory) {
  if (config.uri.empty()) return std::make_unique<LocalObjectStore>(objectsDirectory);
  constexpr std::string_view kScheme = "s3://";
  if (!config.uri.starts_with(kScheme))
    throw std::runtime_error("--objects takes s3://BUCKET or s3://BUCKET/PREFIX, not " +
                             config.uri);
  S3StoreConfig s3;
  s3.graceSeconds = config.graceSeconds;
  std::string rest = config.uri.substr(kScheme.size());
  std::size_t slash = rest.find('/');
  s3.location.bucket = rest.substr(0, slash);
  if (slash != std::string::npos) s3.prefix = rest.substr(slash + 1);
  while (!s3.prefix.empty() && s3.prefix.back() == '/') s3.prefix.pop_back();
  if (s3.location.bucket.empty())
    throw std::runtime_error("--objects " + config.uri + " names no bucket");

  s3.location.endpoint =
      config.endpoint.empty() ? Environment("AWS_ENDPOINT_URL") : config.endpoint;
  if (!s3.location.endpoint.starts_with("http://") && !s3.location.endpoint.starts_with("https://"))
    throw std::runtime_error(
        "the object store needs --s3-endpoint or AWS_ENDPOINT_URL (http://HOST:PORT or "
        "https://HOST)");
  if (std::string region = Environment("AWS_REGION"); !region.empty()) s3.location.region = region;
  if (!config.credentialsFile.empty()) {
    ReadCredentials(config.credentialsFile, s3.location);
  } else {
    s3.location.accessKey = Environment("AWS_ACCESS_KEY_ID");
    s3.location.secretKey = Environment("AWS_SECRET_ACCESS_KEY");
    if (s3.location.accessKey.empty() || s3.location.secretKey.empty())
      throw std::runtime_error(
          "the object store needs AWS_ACCESS_KEY_ID and AWS_SECRET_ACCESS_KEY or "
          "--s3-credentials FILE");
  }
  return std::make_unique<S3ObjectStore>(std::move(s3));
}

}  // namespace arkvale::server
