// The communications lock: a file created with exclusive creation, so it also excludes a
// second process. It has no owner; whoever holds the handle releases it.
#include <cerrno>
#include <chrono>
#include <thread>

#include "client/session/Session.h"
#include "platform/Files.h"

namespace arkvale {

namespace {
// Gives the server a moment to settle before the next exchange may start.
constexpr auto kReleaseDelay = std::chrono::milliseconds(300);
}  // namespace

void RemoveStaleLocks() {
  plat::RemoveFile(kCommsLockPath);
  plat::RemoveFile(kScheduleLockPath);
}

int CSession::AcquireCommsLock() {
  int fd = plat::CreateExclusive(kCommsLockPath);
  if (fd >= 0) return fd;
  if (errno == EEXIST) return -1;
  Log(2, "open error for lock file");
  Show("open error for lock file", Icon::Error, Owner::None);
  return -1;
}

void CSession::ReleaseCommsLock(int handle) {
  std::this_thread::sleep_for(kReleaseDelay);
  if (plat::CloseDescriptor(handle) != 0) {
    Log(2, "close error for lock file");
    Show("close error for lock file", Icon::Error, Owner::None);
  }
  if (plat::RemoveFile(kCommsLockPath) != 0) {
    Log(2, "unlink error for lock file");
    Show("unlink error for lock file", Icon::Error, Owner::None);
  }
}

}  // namespace arkvale
