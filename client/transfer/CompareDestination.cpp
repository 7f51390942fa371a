#include "client/transfer/CompareDestination.h"

#include <QCoreApplication>

#include "client/document/ArkvaleDoc.h"

namespace arkvale {
namespace {

// Never created: the restored content goes to a temporary file beside it.
constexpr const char* kComparePlace = "C:\\compare_file_tempxyz555";

std::string Tr(const char* text) {
  return QCoreApplication::translate("Compare", text).toStdString();
}

}  // namespace

CCompareDestination::CCompareDestination(CArkvaleDoc& doc, RestoreProgress& progress)
    : doc_(doc), progress_(progress) {}

std::optional<plat::HostPath> CCompareDestination::Prepare(const IndexEntry& /*row*/,
                                                           RestoreFailures& /*failures*/) {
  recorded_ = false;
  // Without drive C: there is no place for it; Abandoned records why.
  return plat::Resolve(kComparePlace);
}

void CCompareDestination::Finish(const IndexEntry& row, const plat::HostPath& /*prepared*/,
                                 plat::Replacement& restored, RestoreFailures& /*failures*/) {
  // Not committed: the run's Replacement removes the content once it is compared.
  Record(CompareWithOriginal(row, restored.fd()));
}

bool CCompareDestination::Reports(const IndexEntry& row, Undone why) {
  if (why == Undone::GaveUp) {
    Record(NotComparedResult(row, Tr("its decryption was not waited for")));
  } else {
    Record(DamagedResult(row, {}));
  }
  return true;
}

void CCompareDestination::Abandoned(const IndexEntry& row) {
  if (!recorded_) {
    Record(NotComparedResult(row, Tr("its stored copy could not be brought back here")));
  }
}

void CCompareDestination::Record(CompareResult result) {
  recorded_ = true;
  const std::string text = CompareLogText(result);
  if (!text.empty()) doc_.Log(kLogWarning, text);
  results_.push_back(std::move(result));
}

bool CCompareDestination::ReportsEnd() {
  const std::string summary = CompareSummary(results_);
  doc_.Log(kLogInfo, QCoreApplication::translate("Compare", "Compare completed: %1")
                         .arg(QString::fromStdString(summary))
                         .toStdString());
  progress_.ShowCompareResults(results_, summary);
  doc_.prompt().ShowMessage(summary, kCaption, Icon::Information, Owner::None);
  return true;
}

}  // namespace arkvale
