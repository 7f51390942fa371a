#include "server/S3ObjectStore.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <thread>

#include "server/ServerLog.h"

namespace arkvale::server {

namespace {

constexpr std::size_t kMiB = 1024 * 1024;
constexpr std::size_t kMinPart = 8 * kMiB;
constexpr std::size_t kMaxPart = 64 * kMiB;
constexpr std::uint64_t kMaxParts = 10000;

bool Succeeded(const S3Response& response) {
  return response.status >= 200 && response.status < 300;
}

}  // namespace

std::size_t PartSizeFor(std::uint64_t bytes) {
  std::uint64_t needed = (bytes + kMaxParts - 1) / kMaxParts;
  needed = (needed + kMiB - 1) / kMiB * kMiB;
  return static_cast<std::size_t>(std::clamp<std::uint64_t>(needed, kMinPart, kMaxPart));
}

// Holds one part at most; a part is sent once the next byte shows it is not the last, so data
// that fits one part goes as one PUT.
class S3ObjectStore::S3Upload : public Upload {
 public:
  S3Upload(S3ObjectStore& store, std::uint64_t bytes)
      : store_(store), id_(NewObjectId()), key_(store.KeyOf(id_)), partSize_(PartSizeFor(bytes)) {
    buffer_.reserve(static_cast<std::size_t>(std::min<std::uint64_t>(bytes, partSize_)));
  }
  ~S3Upload() override {
    if (uploadId_.empty() || completed_) return;
    // Given up: the parts would hold storage until the sweep found them.
    try {
      S3Response response = Client().Send("DELETE", key_, {{"uploadId", uploadId_}});
      if (Succeeded(response) || response.status == 404) return;
      LogLine("object store: abort of an upload refused, left for the sweep: " +
              DescribeS3Failure(response));
    } catch (const StoreError& e) {
      LogLine(std::string("object store: abort of an upload failed, left for the sweep: ") +
              e.what());
    }
  }

  void Write(std::string_view data) override {
    while (!data.empty()) {
      if (buffer_.size() == partSize_) SendPart();
      std::size_t taken = std::min(data.size(), partSize_ - buffer_.size());
      buffer_.append(data.substr(0, taken));
      data.remove_prefix(taken);
      total_ += taken;
    }
  }

  std::string Commit() override {
    if (uploadId_.empty()) {
      S3Response response =
          Client().SendWithRetry("PUT", key_, {}, buffer_, {{"content-md5", ContentMd5(buffer_)}});
      if (!Succeeded(response)) throw StoreError("PUT refused: " + DescribeS3Failure(response));
      return id_;
    }
    SendPart();
    std::string parts = "<CompleteMultipartUpload>";
    for (std::size_t i = 0; i < etags_.size(); ++i)
      parts += "<Part><PartNumber>" + std::to_string(i + 1) + "</PartNumber><ETag>" + etags_[i] +
               "</ETag></Part>";
    parts += "</CompleteMultipartUpload>";
    S3Response response = Client().SendWithRetry("POST", key_, {{"uploadId", uploadId_}}, parts);
    // A completion can fail inside a 200 reply; one whose reply was lost leaves the object there.
    if (!Succeeded(response) || response.body.find("<Error>") != std::string::npos) {
      S3Response head = Client().Send("HEAD", key_);
      if (head.status != 200 || head.Header("content-length") != std::to_string(total_))
        throw StoreError("multipart completion refused: " + DescribeS3Failure(response));
    }
    completed_ = true;
    return id_;
  }

 private:
  const S3Client& Client() const { return store_.client_; }

  void SendPart() {
    if (uploadId_.empty()) {
      S3Response response = Client().SendWithRetry("POST", key_, {{"uploads", ""}});
      std::vector<std::string> ids = XmlValues(response.body, "UploadId");
      if (!Succeeded(response) || ids.empty())
        throw StoreError("multipart upload refused: " + DescribeS3Failure(response));
      uploadId_ = ids.front();
    }
    std::string number = std::to_string(etags_.size() + 1);
    S3Response response =
        Client().SendWithRetry("PUT", key_, {{"partNumber", number}, {"uploadId", uploadId_}},
                               buffer_, {{"content-md5", ContentMd5(buffer_)}});
    std::string etag = response.Header("etag");
    if (!Succeeded(response) || etag.empty())
      throw StoreError("part " + number + " refused: " + DescribeS3Failure(response));
    etags_.push_back(etag);
    buffer_.clear();
  }

  S3ObjectStore& store_;
  std::string id_;
  std::string key_;
  std::size_t partSize_;
  std::string buffer_;
  std::uint64_t total_ = 0;
  std::string uploadId_;
  std::vector<std::string> etags_;
  bool completed_ = false;
};

class S3ObjectStore::S3Reader : public Reader {
 public:
  S3Reader(std::unique_ptr<S3Download> download, std::uint64_t size)
      : download_(std::move(download)), size_(size) {}
  std::uint64_t size() const override { return size_; }
  std::size_t Read(char* buffer, std::size_t capacity) override {
    return download_->Read(buffer, capacity);
  }

 private:
  std::unique_ptr<S3Download> download_;
  std::uint64_t size_;
};

S3ObjectStore::S3ObjectStore(S3StoreConfig config)
    : config_(std::move(config)),
      client_(config_.location),
      keyPrefix_(config_.prefix.empty() ? std::string() : config_.prefix + "/") {}

std::unique_ptr<ObjectStore::Upload> S3ObjectStore::BeginUpload(std::uint64_t bytes) {
  return std::make_unique<S3Upload>(*this, bytes);
}

std::unique_ptr<ObjectStore::Reader> S3ObjectStore::Open(const std::string& id) {
  if (!IsObjectId(id)) return nullptr;
  for (int attempt = 1, pauseMs = 200;; ++attempt, pauseMs *= 4) {
    try {
      std::unique_ptr<S3Download> download = client_.Get(KeyOf(id));
      const S3Response& response = download->response();
      if (response.status == 404) return nullptr;
      if (response.status == 200) {
        std::uint64_t size = std::stoull("0" + response.Header("content-length"));
        return std::make_unique<S3Reader>(std::move(download), size);
      }
      if (response.status < 500 || attempt == 3)
        throw StoreError("GET refused: " + DescribeS3Failure(response));
    } catch (const StoreError&) {
      if (attempt == 3) throw;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
  }
}

void S3ObjectStore::Remove(const std::string& id) {
  if (!IsObjectId(id)) return;
  try {
    S3Response response = client_.SendWithRetry("DELETE", KeyOf(id));
    if (Succeeded(response) || response.status == 404) return;
    LogLine("object store: delete of " + id +
            " refused, left for the sweep: " + DescribeS3Failure(response));
  } catch (const StoreError& e) {
    LogLine("object store: delete of " + id + " failed, left for the sweep: " + e.what());
  }
}

void S3ObjectStore::Sweep(const std::set<std::string>& referenced) {
  try {
    SweepObjects(referenced);
    SweepUploads();
  } catch (const StoreError& e) {
    LogLine(std::string("object store: sweep not done: ") + e.what());
  }
}

namespace {

// The store's own clock, so that a server clock that is off cannot make a young object look old.
std::int64_t StoreNow(const S3Response& response) {
  std::int64_t now = ParseS3Time(response.Header("date"));
  return now >= 0 ? now : static_cast<std::int64_t>(std::time(nullptr));
}

std::string FirstValue(std::string_view xml, std::string_view tag) {
  std::vector<std::string> values = XmlValues(xml, tag);
  return values.empty() ? std::string() : values.front();
}

}  // namespace

void S3ObjectStore::SweepObjects(const std::set<std::string>& referenced) {
  std::string token;
  int removed = 0, spared = 0;
  do {
    S3Query query = {{"list-type", "2"}, {"prefix", keyPrefix_}};
    if (!token.empty()) query.push_back({"continuation-token", token});
    S3Response listing = client_.SendWithRetry("GET", "", query);
    if (!Succeeded(listing)) throw StoreError("listing refused: " + DescribeS3Failure(listing));
    std::int64_t now = StoreNow(listing);
    for (std::string_view entry : XmlBlocks(listing.body, "Contents")) {
      std::string key = FirstValue(entry, "Key");
      std::string id = key.substr(std::min(key.size(), keyPrefix_.size()));
      if (!key.starts_with(keyPrefix_) || !IsObjectId(id) || referenced.count(id)) continue;
      if (now - ParseS3Time(FirstValue(entry, "LastModified")) < config_.graceSeconds) {
        ++spared;
        continue;
      }
      S3Response response = client_.Send("DELETE", key);
      if (Succeeded(response) || response.status == 404) ++removed;
    }
    token = FirstValue(listing.body, "IsTruncated") == "true"
                ? FirstValue(listing.body, "NextContinuationToken")
                : std::string();
  } while (!token.empty());
  if (removed || spared)
    LogLine("object store: sweep removed " + std::to_string(removed) +
            " objects without a catalog entry, spared " + std::to_string(spared) + " young ones");
}

void S3ObjectStore::SweepUploads() {
  std::string keyMarker, uploadMarker;
  int aborted = 0;
  do {
    S3Query query = {{"uploads", ""}, {"prefix", keyPrefix_}};
    if (!keyMarker.empty()) query.push_back({"key-marker", keyMarker});
    if (!uploadMarker.empty()) query.push_back({"upload-id-marker", uploadMarker});
    S3Response listing = client_.SendWithRetry("GET", "", query);
    if (!Succeeded(listing))
      throw StoreError("listing of uploads refused: " + DescribeS3Failure(listing));
    std::int64_t now = StoreNow(listing);
    for (std::string_view entry : XmlBlocks(listing.body, "Upload")) {
      std::string key = FirstValue(entry, "Key");
      if (!key.starts_with(keyPrefix_) || !IsObjectId(key.substr(keyPrefix_.size()))) continue;
      if (now - ParseS3Time(FirstValue(entry, "Initiated")) < config_.graceSeconds) continue;
      S3Response response =
          client_.Send("DELETE", key, {{"uploadId", FirstValue(entry, "UploadId")}});
      if (Succeeded(response) || response.status == 404) ++aborted;
    }
    bool truncated = FirstValue(listing.body, "IsTruncated") == "true";
    keyMarker = truncated ? FirstValue(listing.body, "NextKeyMarker") : std::string();
    uploadMarker = truncated ? FirstValue(listing.body, "NextUploadIdMarker") : std::string();
  } while (!keyMarker.empty() || !uploadMarker.empty());
  if (aborted)
    LogLine("object store: sweep aborted " + std::to_string(aborted) + " stale multipart uploads");
}

}  // namespace arkvale::server
