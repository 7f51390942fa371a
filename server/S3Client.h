#pragma once
// A small S3 client: path-style requests signed with AWS Signature Version 4, over http or https
// (libcurl). Just what the object store needs: whole requests with a body in memory, and a GET
// whose body is pulled piece by piece, so a large object never sits in memory.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace arkvale::server {

struct S3Location {
  std::string endpoint;  // "http://host:port" or "https://host"
  std::string region = "us-east-1";
  std::string accessKey;
  std::string secretKey;
  std::string bucket;
};

struct S3Response {
  long status = 0;
  std::string body;
  std::map<std::string, std::string> headers;  // names in lower case
  std::string Header(const std::string& name) const;
};

using S3Query = std::vector<std::pair<std::string, std::string>>;

// The first pieces of a GET arrived (status and headers); the body follows through Read.
class S3Download {
 public:
  virtual ~S3Download() = default;
  virtual const S3Response& response() const = 0;
  // Up to capacity bytes of the body; 0 at its end. Throws StoreError when the transfer fails.
  virtual std::size_t Read(char* buffer, std::size_t capacity) = 0;
};

class S3Client {
 public:
  explicit S3Client(S3Location location);

  // One request on key (empty: the bucket itself); throws StoreError when no reply came.
  S3Response Send(const std::string& method, const std::string& key, const S3Query& query = {},
                  std::string_view body = {},
                  const std::map<std::string, std::string>& headers = {}) const;
  // The same, tried again after a pause (0.2, 0.8, 3.2 s) when no reply came or the store said it
  // is busy or failing (5xx).
  S3Response SendWithRetry(const std::string& method, const std::string& key,
                           const S3Query& query = {}, std::string_view body = {},
                           const std::map<std::string, std::string>& headers = {}) const;
  // A GET whose body is read as it arrives.
  std::unique_ptr<S3Download> Get(const std::string& key) const;

  const S3Location& location() const { return location_; }

 private:
  struct Prepared;
  Prepared Prepare(const std::string& method, const std::string& key, const S3Query& query,
                   std::string_view body, const std::map<std::string, std::string>& headers) const;
  class PulledDownload;

  S3Location location_;
  std::string host_;  // as sent in the Host header
};

// "Base64 of the MD5", as the Content-MD5 header takes it.
std::string ContentMd5(std::string_view data);
// The texts inside each <tag>...</tag> of xml (no nesting of the same tag), entities decoded.
std::vector<std::string> XmlValues(std::string_view xml, std::string_view tag);
// The raw blocks inside each <tag>...</tag>.
std::vector<std::string_view> XmlBlocks(std::string_view xml, std::string_view tag);
// Seconds since 1970 of an ISO 8601 time ("2026-12-07T19:03:40.000Z") or an HTTP date; -1 when
// it is neither.
std::int64_t ParseS3Time(const std::string& text);
// A short text for a refusal: the status and the store's error code.
std::string DescribeS3Failure(const S3Response& response);

}  // namespace arkvale::server
