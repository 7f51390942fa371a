#include "client/transfer/BackupDlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QThread>
#include <QTimer>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/transfer/BackupRun.h"
#include "client/transfer/RunFlags.h"
#include "client/transfer/StopFiles.h"
#include "ui_BackupDlg.h"
#include "widgets/ReportList.h"

namespace arkvale {
namespace {

constexpr Qt::Alignment kLeft = Qt::AlignLeft;
constexpr Qt::Alignment kRight = Qt::AlignRight;
constexpr Qt::Alignment kCentre = Qt::AlignHCenter;

const std::array<ListColumn, 4> kDirectoryColumns{{{"Directory", kLeft, 250},
                                                   {"Number of Files", kRight, 96},
                                                   {"Size (bytes)", kRight, 96},
                                                   {"Last Modified", kCentre, 128}}};
const std::array<ListColumn, 4> kFileColumns{{{"Full Path", kLeft, 192},
                                              {"File Name", kLeft, 170},
                                              {"Size (bytes)", kRight, 96},
                                              {"Last Modified", kCentre, 128}}};
const QColor kEmptyListColour(192, 192, 192);
// The user-interface thread pauses after starting a run, as the run gets going.
constexpr unsigned long kStartPauseMs = 500;
// The run's progress is shown at most this often: about a frame of the screen.
constexpr qint64 kFrameMs = 16;

}  // namespace

CBackupDlg::CBackupDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      session_(session),
      ui_(std::make_unique<Ui::BackupDlg>()),
      directories_(kDirectoryColumns, &DirectoryCell, &SortDirectoryRows),
      files_(kFileColumns, &FileCell, &SortFileRows) {
  ui_->setupUi(this);
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName(ids::IdName(ids::kBackupDialog));
  ui_->directoryList->setObjectName(ids::IdName(ids::kDirectoryList));
  ui_->fileList->setObjectName(ids::IdName(ids::kFileList));
  ui_->bytesSelected->setObjectName(ids::IdName(ids::kBytesSelected));
  ui_->filesSelected->setObjectName(ids::IdName(ids::kFilesSelected));
  ui_->bytesTransmitted->setObjectName(ids::IdName(ids::kBytesTransmitted));
  ui_->filesTransmitted->setObjectName(ids::IdName(ids::kFilesTransmitted));
  ui_->compressingBar->setObjectName(ids::IdName(ids::kCompressingBar));
  ui_->encryptingBar->setObjectName(ids::IdName(ids::kEncryptingBar));
  ui_->transmissionBar->setObjectName(ids::IdName(ids::kTransmissionBar));
  ui_->startButton->setObjectName(ids::IdName(ids::kStartBackup));
  ui_->stopButton->setObjectName(ids::IdName(ids::kStopBackup));
  ui_->closeButton->setObjectName(ids::IdName(ids::kIdCancel));
  ui_->okButton->setObjectName(ids::IdName(ids::kIdOk));
  for (QProgressBar* bar : {ui_->compressingBar, ui_->encryptingBar, ui_->transmissionBar}) {
    bar->setRange(0, 100);
  }

  BackupRows rows = BuildBackupRows(doc.chosenDirectories, doc.chosenFiles);
  bytesSelected_ = rows.bytesSelected;
  filesSelected_ = rows.filesSelected;
  directories_.SetRows(std::move(rows.directories));
  files_.SetRows(std::move(rows.files));
  ui_->directoryList->setModel(&directories_);
  ui_->fileList->setModel(&files_);
  SetUpList(ui_->directoryList, kDirectoryColumns, doc.chosenDirectories.empty());
  SetUpList(ui_->fileList, kFileColumns, doc.chosenFiles.empty());
  connect(ui_->directoryList->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { directories_.sort(column); });
  connect(ui_->fileList->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int column) { files_.sort(column); });

  connect(ui_->startButton, &QPushButton::clicked, this, &CBackupDlg::OnStartBackup);
  connect(ui_->stopButton, &QPushButton::clicked, this, &CBackupDlg::OnStopBackup);
  connect(ui_->closeButton, &QPushButton::clicked, this, &CBackupDlg::OnCloseWindow);
  ShowCounters();
  ui_->stopButton->setEnabled(false);
}

CBackupDlg::~CBackupDlg() {
  // The dialog closes only after the run has cleared backupInProgress, its very last step.
  if (run_.joinable()) run_.join();
}

void CBackupDlg::SetUpList(QTableView* view, const std::array<ListColumn, 4>& columns,
                           bool chosenNone) {
  StyleReportList(view);
  QHeaderView* header = view->horizontalHeader();
  for (int i = 0; i < static_cast<int>(columns.size()); ++i) {
    header->resizeSection(i, columns[static_cast<std::size_t>(i)].width);
  }
  if (chosenNone) {
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, kEmptyListColour);
    view->setPalette(palette);
  }
}

void CBackupDlg::ShowCounters() {
  ui_->bytesSelected->setText(QString::number(bytesSelected_.load()));
  ui_->filesSelected->setText(QString::number(filesSelected_.load()));
  ui_->bytesTransmitted->setText(QString::number(bytesTransmitted_.load()));
  ui_->filesTransmitted->setText(QString::number(filesTransmitted_.load()));
}

template <typename F>
void CBackupDlg::OnInterfaceThread(F f) {
  if (QThread::currentThread() == thread()) {
    f();
  } else {
    // Dropped with the dialog if it is gone by then.
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
  }
}

void CBackupDlg::RefreshFields() { ShowSoon(); }

void CBackupDlg::SetCompressing(int position) {
  compressing_ = position;
  ShowSoon();
}

void CBackupDlg::SetEncrypting(int position) {
  encrypting_ = position;
  ShowSoon();
}

void CBackupDlg::SetTransmission(int position) {
  transmission_ = position;
  ShowSoon();
}

void CBackupDlg::ShowSoon() {
  if (showPending_.exchange(true)) return;
  // Queued even on this thread, so a burst of calls is shown once.
  QMetaObject::invokeMethod(this, &CBackupDlg::ShowWhenDue, Qt::QueuedConnection);
}

void CBackupDlg::ShowWhenDue() {
  const qint64 since = lastShown_.isValid() ? lastShown_.elapsed() : kFrameMs;
  if (since < kFrameMs) {
    QTimer::singleShot(static_cast<int>(kFrameMs - since), this, &CBackupDlg::ShowProgress);
  } else {
    ShowProgress();
  }
}

void CBackupDlg::ShowProgress() {
  // Cleared first: a value set from now on is shown by the next round.
  showPending_ = false;
  lastShown_.start();
  ShowCounters();
  ui_->compressingBar->setValue(compressing_);
  ui_->encryptingBar->setValue(encrypting_);
  ui_->transmissionBar->setValue(transmission_);
}

void CBackupDlg::DisableStopButton() {
  OnInterfaceThread([this] {
    // The run's last values are on the screen when it is over.
    ShowProgress();
    ui_->stopButton->setEnabled(false);
  });
}

void CBackupDlg::OnStartBackup() {
  // One run at a time; the button does nothing while one is under way.
  if (backupInProgress) return;
  if (doc_.encryptionKey.empty()) {
    doc_.prompt().ShowMessage(kNoEncryptionKeyText, kCaption, Icon::Warning, Owner::BackupDialog);
    return;
  }
  // A finished run's thread has nothing left to do but end.
  if (run_.joinable()) run_.join();
  ui_->stopButton->setEnabled(true);
  backupInProgress = true;
  run_ = std::thread(
      [this, selection = doc_.Snapshot()] { RunBackup(doc_, session_, *this, selection); });
  QThread::msleep(kStartPauseMs);
}

void CBackupDlg::OnStopBackup() {
  CreateStopFile(kBackupStopFile);
  ui_->stopButton->setEnabled(false);
}

void CBackupDlg::OnCloseWindow() {
  if (backupInProgress) {
    ShowStillRunning();
    return;
  }
  close();
}

void CBackupDlg::reject() { OnCloseWindow(); }

void CBackupDlg::ShowStillRunning() {
  doc_.prompt().ShowMessage(kBackupStillRunningText, kApplicationTitle, Icon::None,
                            Owner::BackupDialog);
}

void CBackupDlg::closeEvent(QCloseEvent* event) {
  if (backupInProgress) {
    // The window's close box is answered. A close the program sends itself when the main window
    // has gone is not: the program ends around the run, and the box would say otherwise.
    if (event->spontaneous()) ShowStillRunning();
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace arkvale
