#pragma once
// New content for a file, written to a temporary file beside it and put in its place whole: a
// crash leaves the old file or the new one, never half of one.
#include <string>

#include "platform/Files.h"

namespace plat {

class Replacement {
 public:
  Replacement() = default;
  ~Replacement() { Discard(); }
  Replacement(Replacement&& other) noexcept;
  Replacement& operator=(Replacement&& other) noexcept;
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;

  // Opens an empty temporary file in place's directory, readable and writable. A new file gets
  // createMode less the umask; one that replaces a file keeps that file's mode. False (errno
  // set) when the directory takes no new file.
  bool Open(const HostPath& place, unsigned createMode);
  bool isOpen() const { return fd_ >= 0; }
  // The temporary file's descriptor, for writing the content (and reading it back).
  int fd() const { return fd_; }

  // Flushes the content to disk and renames it over place, which is replaced itself: a symbolic
  // link there gives way, its target is not written. False (errno set) with the temporary
  // removed and place as it was.
  bool Commit();
  // Removes the temporary file; place stays as it was.
  void Discard();

 private:
  int fd_ = -1;
  std::string temporary_;
  std::string place_;
};

}  // namespace plat
