#include "client/scheduler/ScheduleLock.h"

#include <cerrno>

#include "client/document/ArkvaleDoc.h"
#include "client/session/Session.h"
#include "platform/Files.h"

namespace arkvale {

int AcquireScheduleLock(CArkvaleDoc& doc) {
  int fd = plat::CreateExclusive(kScheduleLockPath);
  if (fd >= 0) return fd;
  if (errno == EEXIST) return -1;
  doc.Log(kLogError, "open error for schedule lock file");
  doc.prompt().ShowMessage("open error for schedule lock file", kCaption, Icon::Error,
                           Owner::MainWindow);
  return -1;
}

void ReleaseScheduleLock(CArkvaleDoc& doc, int handle) {
  plat::CloseDescriptor(handle);
  if (plat::RemoveFile(kScheduleLockPath) != 0) {
    doc.Log(kLogError, "unlink error for schedule lock file");
    doc.prompt().ShowMessage(
        "unlink error for schedule lock file\n\nThe backup program should be restarted for the "
        "scheduler to work",
        kCaption, Icon::Error, Owner::MainWindow);
  }
}

}  // namespace arkvale
