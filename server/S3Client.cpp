#include "server/S3Client.h"

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/sha.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <mutex>
#include <thread>

#include "server/ObjectStore.h"

namespace arkvale::server {

namespace {

constexpr long kConnectTimeoutMs = 5000;
// A store that sends nothing for this long is taken as gone.
constexpr long kStalledSeconds = 60;
// A GET stops taking data while this much waits to be read.
constexpr std::size_t kPulledBufferLimit = 256 * 1024;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string Hex(const unsigned char* data, std::size_t size) {
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    text += kHex[data[i] >> 4];
    text += kHex[data[i] & 15];
  }
  return text;
}

std::string Sha256Hex(std::string_view data) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
  return Hex(digest, sizeof digest);
}

std::string Hmac(std::string_view key, std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest, &length);
  return std::string(reinterpret_cast<char*>(digest), length);
}

// RFC 3986 unreserved characters stay, everything else is %XX; '/' stays in a path.
std::string UriEncode(std::string_view text, bool keepSlash) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~' ||
        (keepSlash && c == '/')) {
      encoded += static_cast<char>(c);
    } else {
      encoded += '%';
      encoded += kHex[c >> 4];
      encoded += kHex[c & 15];
    }
  }
  return encoded;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return std::string(text);
}

// Status line and headers of a reply; a new status line (after "100 Continue") starts afresh.
size_t TakeHeader(char* data, size_t size, size_t count, void* target) {
  auto* response = static_cast<S3Response*>(target);
  std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    response->headers.clear();
  } else if (std::size_t colon = line.find(':'); colon != std::string_view::npos) {
    response->headers[Lower(std::string(line.substr(0, colon)))] = Trim(line.substr(colon + 1));
  }
  return size * count;
}

size_t TakeBody(char* data, size_t size, size_t count, void* target) {
  static_cast<std::string*>(target)->append(data, size * count);
  return size * count;
}

size_t GiveBody(char* buffer, size_t size, size_t count, void* source) {
  auto* body = static_cast<std::string_view*>(source);
  std::size_t taken = std::min(body->size(), size * count);
  std::memcpy(buffer, body->data(), taken);
  body->remove_prefix(taken);
  return taken;
}

// One easy handle per thread: reset between requests, it keeps its connections to the store.
struct ThreadHandle {
  ThreadHandle() : curl(curl_easy_init()) {}
  ~ThreadHandle() { curl_easy_cleanup(curl); }
  CURL* curl;
};

struct HeaderList {
  ~HeaderList() { curl_slist_free_all(list); }
  curl_slist* list = nullptr;
};

}  // namespace

std::string S3Response::Header(const std::string& name) const {
  auto found = headers.find(Lower(name));
  return found == headers.end() ? std::string() : found->second;
}

struct S3Client::Prepared {
  std::string url;
  std::vector<std::string> headers;
};

S3Client::S3Client(S3Location location) : location_(std::move(location)) {
  InitCurlOnce();
  std::string_view rest = location_.endpoint;
  if (std::size_t scheme = rest.find("://"); scheme != std::string_view::npos)
    rest.remove_prefix(scheme + 3);
  host_ = std::string(rest.substr(0, rest.find('/')));
  while (!location_.endpoint.empty() && location_.endpoint.back() == '/')
    location_.endpoint.pop_back();
}

S3Client::Prepared S3Client::Prepare(const std::string& method, const std::string& key,
                                     const S3Query& query, std::string_view body,
                                     const std::map<std::string, std::string>& extra) const {
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char amzDate[17], day[9];
  std::strftime(amzDate, sizeof amzDate, "%Y%m%dT%H%M%SZ", &utc);
  std::strftime(day, sizeof day, "%Y%m%d", &utc);

  std::string path = "/" + UriEncode(location_.bucket, false);
  if (!key.empty()) path += "/" + UriEncode(key, true);
  std::vector<std::string> pairs;
  for (const auto& [name, value] : query)
    pairs.push_back(UriEncode(name, false) + "=" + UriEncode(value, false));
  std::sort(pairs.begin(), pairs.end());
  std::string canonicalQuery;
  for (const std::string& pair : pairs)
    canonicalQuery += (canonicalQuery.empty() ? "" : "&") + pair;

  std::string payloadHash = Sha256Hex(body);
  std::map<std::string, std::string> signedHeaders;
  for (const auto& [name, value] : extra) signedHeaders[Lower(name)] = value;
  signedHeaders["host"] = host_;
  signedHeaders["x-amz-content-sha256"] = payloadHash;
  signedHeaders["x-amz-date"] = amzDate;
  std::string canonicalHeaders, headerNames;
  for (const auto& [name, value] : signedHeaders) {
    canonicalHeaders += name + ":" + value + "\n";
    headerNames += (headerNames.empty() ? "" : ";") + name;
  }
  std::string canonical = method + "\n" + path + "\n" + canonicalQuery + "\n" + canonicalHeaders +
                          "\n" + headerNames + "\n" + payloadHash;
  std::string scope = std::string(day) + "/" + location_.region + "/s3/aws4_request";
  std::string toSign =
      "AWS4-HMAC-SHA256\n" + std::string(amzDate) + "\n" + scope + "\n" + Sha256Hex(canonical);
  std::string signingKey = Hmac(
      Hmac(Hmac(Hmac("AWS4" + location_.secretKey, day), location_.region), "s3"), "aws4_request");
  std::string mac = Hmac(signingKey, toSign);
  std::string signature = Hex(reinterpret_cast<const unsigned char*>(mac.data()), mac.size());

  Prepared prepared;
  prepared.url = location_.endpoint + path + (canonicalQuery.empty() ? "" : "?" + canonicalQuery);
  for (const auto& [name, value] : signedHeaders) prepared.headers.push_back(name + ": " + value);
  prepared.headers.push_back("Authorization: AWS4-HMAC-SHA256 Credential=" + location_.accessKey +
                             "/" + scope + ", SignedHeaders=" + headerNames +
                             ", Signature=" + signature);
  // No "100 Continue" round trip, and no form type for a POST body.
  prepared.headers.push_back("Expect:");
  prepared.headers.push_back("Content-Type:");
  return prepared;
}

S3Response S3Client::Send(const std::string& method, const std::string& key, const S3Query& query,
                          std::string_view body,
                          const std::map<std::string, std::string>& headers) const {
  Prepared prepared = Prepare(method, key, query, body, headers);
  thread_local ThreadHandle handle;
  CURL* curl = handle.curl;
  if (!curl) throw StoreError("S3 request impossible: out of memory");
  curl_easy_reset(curl);
  HeaderList list;
  for (const std::string& header : prepared.headers)
    list.list = curl_slist_append(list.list, header.c_str());
  S3Response response;
  std::string_view remaining = body;
  curl_easy_setopt(curl, CURLOPT_URL, prepared.url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, list.list);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, kStalledSeconds);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, TakeHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, &response);
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, TakeBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &response.body);
  if (method == "HEAD") {
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
  } else if (method == "PUT" || method == "POST") {
    curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(curl, CURLOPT_READFUNCTION, GiveBody);
    curl_easy_setopt(curl, CURLOPT_READDATA, &remaining);
    curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(body.size()));
  }
  curl_easy_setopt(curl, CURLOPT_CUSTOMREQUEST, method.c_str());
  CURLcode result = curl_easy_perform(curl);
  if (result != CURLE_OK)
    throw StoreError(method + " to the object store failed: " + curl_easy_strerror(result));
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
  return response;
}

S3Response S3Client::SendWithRetry(const std::string& method, const std::string& key,
                                   const S3Query& query, std::string_view body,
                                   const std::map<std::string, std::string>& headers) const {
  int pauseMs = 200;
  for (int attempt = 1;; ++attempt, pauseMs *= 4) {
    try {
      S3Response response = Send(method, key, query, body, headers);
      if (response.status < 500 || attempt == 4) return response;
    } catch (const StoreError&) {
      if (attempt == 4) throw;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
}

// A GET driven by hand (curl's multi interface): the body is taken from the store only as fast as
// it is read, with at most kPulledBufferLimit held here.
class S3Client::PulledDownload : public S3Download {
 public:
  explicit PulledDownload(const Prepared& prepared)
      : easy_(curl_easy_init()), multi_(curl_multi_init()) {
    if (!easy_ || !multi_) throw StoreError("S3 request impossible: out of memory");
    for (const std::string& header : prepared.headers)
      headers_.list = curl_slist_append(headers_.list, header.c_str());
    curl_easy_setopt(easy_, CURLOPT_URL, prepared.url.c_str());
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_.list);
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy_, CURLOPT_LOW_SPEED_TIME, kStalledSeconds);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, TakeHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, &response_);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, Arrived);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    curl_multi_add_handle(multi_, easy_);
    // Until the status is known (the first piece of body, or the end of an empty one).
    while (!started_ && !done_) Step();
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &response_.status);
    // An error reply is short: keep it whole for the caller to read.
    if (response_.status != 200) {
      while (!done_) Step();
      response_.body = pending_;
      pending_.clear();
    }
  }
  ~PulledDownload() override {
    curl_multi_remove_handle(multi_, easy_);
    curl_easy_cleanup(easy_);
    curl_multi_cleanup(multi_);
  }

  const S3Response& response() const override { return response_; }

  std::size_t Read(char* buffer, std::size_t capacity) override {
    while (offset_ == pending_.size() && !done_) {
      pending_.clear();
      offset_ = 0;
      if (paused_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
      }
      Step();
    }
    std::size_t taken = std::min(capacity, pending_.size() - offset_);
    std::memcpy(buffer, pending_.data() + offset_, taken);
    offset_ += taken;
    return taken;
  }

 private:
  static size_t Arrived(char* data, size_t size, size_t count, void* target) {
    auto* self = static_cast<PulledDownload*>(target);
    self->started_ = true;
    if (self->pending_.size() - self->offset_ >= kPulledBufferLimit) {
      self->paused_ = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    self->pending_.append(data, size * count);
    return size * count;
  }

  void Step() {
    int running = 0;
    CURLMcode code = curl_multi_perform(multi_, &running);
    if (code != CURLM_OK) throw StoreError(std::string("GET failed: ") + curl_multi_strerror(code));
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      done_ = true;
      if (message->data.result != CURLE_OK)
        throw StoreError(std::string("GET from the object store failed: ") +
                         curl_easy_strerror(message->data.result));
    }
    if (!done_ && !paused_ && running) curl_multi_poll(multi_, nullptr, 0, 1000, nullptr);
  }

  CURL* easy_;
  CURLM* multi_;
  HeaderList headers_;
  S3Response response_;
  std::string pending_;
  std::size_t offset_ = 0;
  bool started_ = false;
  bool paused_ = false;
  bool done_ = false;
};

std::unique_ptr<S3Download> S3Client::Get(const std::string& key) const {
  return std::make_unique<PulledDownload>(Prepare("GET", key, {}, {}, {}));
}

std::string ContentMd5(std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(data.data(), data.size(), digest, &length, EVP_md5(), nullptr);
  unsigned char encoded[64];
  int size = EVP_EncodeBlock(encoded, digest, static_cast<int>(length));
  return std::string(reinterpret_cast<char*>(encoded), static_cast<std::size_t>(size));
}

std::vector<std::string_view> XmlBlocks(std::string_view xml, std::string_view tag) {
  std::string open = "<" + std::string(tag) + ">", close = "</" + std::string(tag) + ">";
  std::vector<std::string_view> blocks;
  for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at)) {
    std::size_t end = xml.find(close, at + open.size());
    if (end == std::string_view::npos) break;
    blocks.push_back(xml.substr(at + open.size(), end - at - open.size()));
    at = end + close.size();
  }
  return blocks;
}

std::vector<std::string> XmlValues(std::string_view xml, std::string_view tag) {
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
  std::vector<std::string> values;
  for (std::string_view block : XmlBlocks(xml, tag)) {
    std::string value;
    for (std::size_t i = 0; i < block.size();) {
      bool replaced = false;
      for (const auto& [entity, character] : kEntities) {
        if (block.substr(i).starts_with(entity)) {
          value += character;
          i += entity.size();
          replaced = true;
          break;
        }
      }
      if (!replaced) value += block[i++];
    }
    values.push_back(std::move(value));
  }
  return values;
}

std::int64_t ParseS3Time(const std::string& text) {
  std::tm time{};
  if (std::sscanf(text.c_str(), "%d-%d-%dT%d:%d:%d", &time.tm_year, &time.tm_mon, &time.tm_mday,
                  &time.tm_hour, &time.tm_min, &time.tm_sec) == 6) {
    time.tm_year -= 1900;
    time.tm_mon -= 1;
    return static_cast<std::int64_t>(timegm(&time));
  }
  const char* end = strptime(text.c_str(), "%a, %d %b %Y %H:%M:%S", &time);
  return end ? static_cast<std::int64_t>(timegm(&time)) : -1;
}

std::string DescribeS3Failure(const S3Response& response) {
  std::vector<std::string> codes = XmlValues(response.body, "Code");
  return "the object store answered " + std::to_string(response.status) +
         (codes.empty() ? std::string() : " " + codes.front());
}

}  // namespace arkvale::server
