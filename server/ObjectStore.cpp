#include "server/ObjectStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

namespace arkvale::server {

namespace {

constexpr const char* kPartSuffix = ".part";

std::string NewId() {
  static const char kHex[] = "0123456789abcdef";
  std::random_device random;
  std::string id;
  for (int i = 0; i < 32; i += 8) {
    unsigned value = random();
    for (int j = 0; j < 8; ++j, value >>= 4) id += kHex[value & 15];
  }
  return id;
}

bool IsObjectName(const std::string& name) {
  if (name.size() != 32) return false;
  for (char c : name)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string Errno(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

ObjectStore::ObjectStore(std::string directory) : directory_(std::move(directory)) {
  if (::mkdir(directory_.c_str(), 0700) != 0 && errno != EEXIST)
    throw StoreError(Errno("cannot create " + directory_));
}

void ObjectStore::SyncDirectory() {
  int fd = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw StoreError(Errno("cannot open " + directory_));
  int rc = ::fsync(fd);
  ::close(fd);
  if (rc != 0) throw StoreError(Errno("cannot flush " + directory_));
}

ObjectStore::Upload::Upload(ObjectStore& store) : store_(store), id_(NewId()) {
  fd_ = ::open(store_.PathOf(id_ + kPartSuffix).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
               0600);
  if (fd_ < 0) throw StoreError(Errno("cannot create data file"));
}

ObjectStore::Upload::~Upload() {
  if (fd_ >= 0) {
    ::close(fd_);
    ::unlink(store_.PathOf(id_ + kPartSuffix).c_str());
  }
}

void ObjectStore::Upload::Write(std::string_view data) {
  while (!data.empty()) {
    ssize_t written = ::write(fd_, data.data(), data.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw StoreError(Errno("cannot write data file"));
    data.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::string ObjectStore::Upload::Commit() {
  if (::fsync(fd_) != 0) throw StoreError(Errno("cannot flush data file"));
  std::string part = store_.PathOf(id_ + kPartSuffix);
  if (::rename(part.c_str(), store_.PathOf(id_).c_str()) != 0)
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

int ObjectStore::Open(const std::string& id) const {
  if (!IsObjectName(id)) return -1;
  return ::open(PathOf(id).c_str(), O_RDONLY | O_CLOEXEC);
}

void ObjectStore::Remove(const std::string& id) {
  if (IsObjectName(id)) ::unlink(PathOf(id).c_str());
}

void ObjectStore::Sweep(const std::set<std::string>& referenced) {
  DIR* dir = ::opendir(directory_.c_str());
  if (!dir) throw StoreError(Errno("cannot list " + directory_));
  std::set<std::string> doomed;
  while (dirent* entry = ::readdir(dir)) {
    std::string name = entry->d_name;
    bool part = name.size() > 5 && name.ends_with(kPartSuffix) &&
                IsObjectName(name.substr(0, name.size() - 5));
    if (part || (IsObjectName(name) && !referenced.count(name))) doomed.insert(name);
  }
  ::closedir(dir);
  for (const std::string& name : doomed) ::unlink(PathOf(name).c_str());
}

}  // namespace arkvale::server
