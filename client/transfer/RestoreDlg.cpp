#include "client/transfer/RestoreDlg.h"

#include <QThread>

#include "client/resources/ResourceIds.h"
#include "client/transfer/RunFlags.h"
#include "ui_RestoreDlg.h"

namespace arkvale {

CRestoreDlg::CRestoreDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent)
    : CIndexDlg(doc, session, parent), ui_(std::make_unique<Ui::RestoreDlg>()) {
  ui_->setupUi(this);
  NameAndWire(*ui_, ids::kRestoreDialog, ids::kRestoreList, ids::kStartRestore, ids::kStopRestore);
  ui_->transmissionBar->setObjectName(ids::IdName(ids::kRestoreTransmissionBar));
  ui_->decryptingBar->setObjectName(ids::IdName(ids::kDecryptingBar));
  ui_->uncompressingBar->setObjectName(ids::IdName(ids::kUncompressingBar));
  for (QProgressBar* bar : {ui_->transmissionBar, ui_->decryptingBar, ui_->uncompressingBar}) {
    bar->setRange(0, 100);
  }
}

CRestoreDlg::~CRestoreDlg() { JoinWorker(); }

QProgressBar* CRestoreDlg::transmissionBar() const { return ui_->transmissionBar; }
QProgressBar* CRestoreDlg::decryptingBar() const { return ui_->decryptingBar; }
QProgressBar* CRestoreDlg::uncompressingBar() const { return ui_->uncompressingBar; }

std::atomic<bool>& CRestoreDlg::RunFlag() const { return restoreInProgress; }
const char* CRestoreDlg::StopFile() const { return kRestoreStopFile; }

void CRestoreDlg::OnStart() {
  if (restoreInProgress) return;
  JoinWorker();
  StartRun([this, rows = TickedEntries()] { RunRestore(doc_, session_, *this, rows); });
  QThread::msleep(kStartPauseMs);
}

void CRestoreDlg::SetTransmission(int position) {
  OnInterfaceThread([this, position] { ui_->transmissionBar->setValue(position); });
}

void CRestoreDlg::SetDecrypting(int position) {
  OnInterfaceThread([this, position] { ui_->decryptingBar->setValue(position); });
}

void CRestoreDlg::SetUncompressing(int position) {
  OnInterfaceThread([this, position] { ui_->uncompressingBar->setValue(position); });
}

void CRestoreDlg::DisableStopButton() {
  OnInterfaceThread([this] { controls_.stop->setEnabled(false); });
}

}  // namespace arkvale
