#include "client/transfer/DeleteDlg.h"

#include <QThread>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/transfer/RunFlags.h"
#include "ui_DeleteDlg.h"

namespace arkvale {

CDeleteDlg::CDeleteDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent)
    : CIndexDlg(doc, session, parent), ui_(std::make_unique<Ui::DeleteDlg>()) {
  ui_->setupUi(this);
  NameAndWire(*ui_, ids::kDeleteDialog, ids::kDeleteList, ids::kStartDelete, ids::kStopDelete);
  ui_->deleteBar->setObjectName(ids::IdName(ids::kDeleteBar));
  ui_->deleteBar->setRange(0, 100);
}

CDeleteDlg::~CDeleteDlg() { JoinWorker(); }

std::atomic<bool>& CDeleteDlg::RunFlag() const { return deleteInProgress; }

void CDeleteDlg::OnStart() {
  if (deleteInProgress) return;
  if (!doc_.prompt().AskYesNoDefaultNo(kDeleteConfirmText, kCaption, Icon::Warning,
                                       Owner::DeleteDialog)) {
    return;
  }
  JoinWorker();
  std::vector<std::string> paths;
  for (IndexEntry& entry : TickedEntries()) paths.push_back(std::move(entry.name));
  StartRun([this, paths = std::move(paths)]() mutable {
    RunDelete(doc_, session_, *this, *this, std::move(paths));
  });
  QThread::msleep(kStartPauseMs);
}

void CDeleteDlg::SetDeleteBar(int position) {
  OnInterfaceThread([this, position] { ui_->deleteBar->setValue(position); });
}

void CDeleteDlg::DisableRunButtons() {
  OnInterfaceThread([this] {
    controls_.stop->setEnabled(false);
    controls_.start->setEnabled(false);
  });
}

}  // namespace arkvale
