#include "client/transfer/DeleteDlg.h"

#include <QThread>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/transfer/RunFlags.h"
#include "ui_DeleteDlg.h"

namespace arkvale {
namespace {

// The user-interface thread pauses after starting a run, as the run gets going.
constexpr unsigned long kStartPauseMs = 500;

}  // namespace

CDeleteDlg::CDeleteDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent)
    : CIndexDlg(doc, session, parent), ui_(std::make_unique<Ui::DeleteDlg>()) {
  ui_->setupUi(this);
  setObjectName(ids::IdName(ids::kDeleteDialog));
  ui_->fileList->setObjectName(ids::IdName(ids::kDeleteList));
  ui_->searchText->setObjectName(ids::IdName(ids::kSearchText));
  ui_->searchButton->setObjectName(ids::IdName(ids::kSearch));
  ui_->startButton->setObjectName(ids::IdName(ids::kStartDelete));
  ui_->stopButton->setObjectName(ids::IdName(ids::kStopDelete));
  ui_->checkAllButton->setObjectName(ids::IdName(ids::kCheckAll));
  ui_->uncheckAllButton->setObjectName(ids::IdName(ids::kUncheckAll));
  ui_->closeButton->setObjectName(ids::IdName(ids::kIdCancel));
  ui_->okButton->setObjectName(ids::IdName(ids::kIdOk));
  ui_->deleteBar->setObjectName(ids::IdName(ids::kDeleteBar));
  ui_->deleteBar->setRange(0, 100);
  Wire({ui_->fileList, ui_->searchText, ui_->searchButton, ui_->startButton, ui_->stopButton,
        ui_->checkAllButton, ui_->uncheckAllButton, ui_->closeButton, ui_->okButton});
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
  controls_.stop->setEnabled(true);
  deleteInProgress = true;
  std::vector<std::string> paths;
  for (IndexEntry& entry : TickedEntries()) paths.push_back(std::move(entry.name));
  worker_ = std::thread([this, paths = std::move(paths)]() mutable {
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
