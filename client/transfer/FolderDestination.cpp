#include "client/transfer/FolderDestination.h"

#include <QCoreApplication>

#include "client/transfer/RestoreFolder.h"

namespace arkvale {

CFolderDestination::CFolderDestination(CArkvaleDoc& doc, std::string folder)
    : CInPlaceDestination(doc), folder_(std::move(folder)) {}

std::optional<plat::HostPath> CFolderDestination::Prepare(const IndexEntry& row,
                                                          RestoreFailures& failures) {
  std::optional<std::string> path = PathInFolder(folder_, row.name);
  if (!path) {
    failures.NotRestored(row.name,
                         QCoreApplication::translate("Restore", "its path has no place under %1")
                             .arg(QString::fromStdString(folder_))
                             .toStdString());
    return std::nullopt;
  }
  placed_ = row;
  placed_.name = *path;
  return CInPlaceDestination::Prepare(placed_, failures);
}

void CFolderDestination::Finish(const IndexEntry& /*row*/, const plat::HostPath& prepared,
                                plat::Replacement& restored, RestoreFailures& failures) {
  CInPlaceDestination::Finish(placed_, prepared, restored, failures);
}

}  // namespace arkvale
