#include "server/LocalObjectStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/Descriptor.h"

namespace arkvale::server {

namespace {

constexpr std::string_view kPartSuffix = ".part";

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

class LocalObjectStore::FileUpload : public Upload {
 public:
  explicit FileUpload(LocalObjectStore& store) : store_(store), id_(NewObjectId()) {
    fd_ = ::open(PartPath().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) throw StoreError(Errno("cannot create data file"));
  }
  ~FileUpload() override {
    if (fd_ >= 0) {
      ::close(fd_);
      ::unlink(PartPath().c_str());
    }
  }

  void Write(std::string_view data) override {
    while (!data.empty()) {
      ssize_t written = ::write(fd_, data.data(), data.size());
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) throw StoreError(Errno("cannot write data file"));
      data.remove_prefix(static_cast<std::size_t>(written));
    }
  }

  std::string Commit() override {
    if (::fsync(fd_) != 0) throw StoreError(Errno("cannot flush data file"));
    if (::rename(PartPath().c_str(), store_.PathOf(id_).c_str()) != 0)
      throw StoreError(Errno("cannot rename data file"));
    ::close(fd_);
    fd_ = -1;
    try {
      store_.SyncDirectory();
    } catch (...) {
      store_.Remove(id_);
      throw;
    }
    return id_;
  }

 private:
  std::string PartPath() const { return store_.PathOf(id_ + std::string(kPartSuffix)); }

  LocalObjectStore& store_;
  std::string id_;
  int fd_ = -1;
};

// Holds the file open, so a delete from another connection cannot take the data from under it.
class LocalObjectStore::FileReader : public Reader {
 public:
  FileReader(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
  std::uint64_t size() const override { return size_; }
  std::size_t Read(char* buffer, std::size_t capacity) override {
    for (;;) {
      ssize_t got = ::read(fd_.get(), buffer, capacity);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) throw StoreError(Errno("cannot read data file"));
      return static_cast<std::size_t>(got);
    }
  }

 private:
  Descriptor fd_;
  std::uint64_t size_;
};

LocalObjectStore::LocalObjectStore(std::string directory) : directory_(std::move(directory)) {
  if (::mkdir(directory_.c_str(), 0700) != 0 && errno != EEXIST)
    throw StoreError(Errno("cannot create " + directory_));
}

void LocalObjectStore::SyncDirectory() {
  Descriptor fd(::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) throw StoreError(Errno("cannot open " + directory_));
  if (::fsync(fd.get()) != 0) throw StoreError(Errno("cannot flush " + directory_));
}

std::unique_ptr<ObjectStore::Upload> LocalObjectStore::BeginUpload(std::uint64_t) {
  return std::make_unique<FileUpload>(*this);
}

std::unique_ptr<ObjectStore::Reader> LocalObjectStore::Open(const std::string& id) {
  if (!IsObjectId(id)) return nullptr;
  int fd = ::open(PathOf(id).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<FileReader>(fd, static_cast<std::uint64_t>(status.st_size));
}

void LocalObjectStore::Remove(const std::string& id) {
  if (IsObjectId(id)) ::unlink(PathOf(id).c_str());
}

void LocalObjectStore::Sweep(const std::set<std::string>& referenced) {
  DIR* dir = ::opendir(directory_.c_str());
  if (!dir) throw StoreError(Errno("cannot list " + directory_));
  std::set<std::string> doomed;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    bool part = name.size() > kPartSuffix.size() && name.ends_with(kPartSuffix) &&
                IsObjectId(std::string_view(name).substr(0, name.size() - kPartSuffix.size()));
    if (part || (IsObjectId(name) && !referenced.count(name))) doomed.insert(name);
  }
  ::closedir(dir);
  for (const std::string& name : doomed) ::unlink(PathOf(name).c_str());
}

}  // namespace arkvale::server
