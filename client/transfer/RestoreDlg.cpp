#include "client/transfer/RestoreDlg.h"

#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QThread>
#include <QUrl>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/transfer/CompareResultsDlg.h"
#include "client/transfer/RestoreFolder.h"
#include "client/transfer/RunFlags.h"
#include "platform/Drives.h"
#include "platform/Paths.h"
#include "platform/WindowsNames.h"
#include "ui_RestoreDlg.h"

namespace arkvale {
namespace {

// A folder dialog that starts at startDirectory and offers every drive of the table beside it.
std::optional<std::string> ChooseDriveFolder(QWidget* parent, const QString& startDirectory) {
  QFileDialog dialog(parent, QCoreApplication::translate("RestoreDlg", "Restore into this folder"),
                     startDirectory);
  // Qt's own dialog, so that its side bar can list the drives.
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  QList<QUrl> drives;
  const uint32_t letters = plat::GetLogicalDrives();
  for (int bit = 0; bit < 26; ++bit) {
    if (!(letters & (uint32_t{1} << bit))) continue;
    if (auto root = plat::DriveHostRoot(static_cast<char>('A' + bit))) {
      drives << QUrl::fromLocalFile(QString::fromStdString(*root));
    }
  }
  dialog.setSidebarUrls(drives);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().first().toStdString();
}

QString Shown(const std::string& windowsPath) {
  return QString::fromStdString(plat::HostNameOf(windowsPath));
}

}  // namespace

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
  auto followChoice = [this] {
    const bool folder = ui_->folderRadio->isChecked();
    ui_->folderEdit->setEnabled(folder);
    ui_->browseButton->setEnabled(folder);
  };
  connect(ui_->folderRadio, &QRadioButton::toggled, this, followChoice);
  followChoice();
  connect(ui_->browseButton, &QPushButton::clicked, this, &CRestoreDlg::OnBrowse);
  connect(ui_->compareButton, &QPushButton::clicked, this, &CRestoreDlg::OnCompare);
  chooseFolder_ = [this](const QString& start) { return ChooseDriveFolder(this, start); };
}

CRestoreDlg::~CRestoreDlg() { JoinWorker(); }

QProgressBar* CRestoreDlg::transmissionBar() const { return ui_->transmissionBar; }
QProgressBar* CRestoreDlg::decryptingBar() const { return ui_->decryptingBar; }
QProgressBar* CRestoreDlg::uncompressingBar() const { return ui_->uncompressingBar; }

CCompareResultsDlg* CRestoreDlg::resultsWindow() const { return resultsWindow_; }

std::atomic<bool>& CRestoreDlg::RunFlag() const { return restoreInProgress; }
const char* CRestoreDlg::StopFile() const { return kRestoreStopFile; }

void CRestoreDlg::EnableStart(bool enabled) {
  CIndexDlg::EnableStart(enabled);
  ui_->compareButton->setEnabled(enabled);
}

void CRestoreDlg::OnBrowse() {
  QString start = QDir::homePath();
  if (auto folder = RestoreFolderOf(ui_->folderEdit->text().toStdString())) {
    if (auto host = plat::ToHostPath(*folder);
        host && QDir(QString::fromStdString(*host)).exists()) {
      start = QString::fromStdString(*host);
    }
  }
  std::optional<std::string> hostPath = chooseFolder_(start);
  if (!hostPath) return;
  std::optional<std::string> folder = RestoreFolderOf(*hostPath);
  if (!folder) {
    doc_.prompt().ShowMessage(
        tr("%1 is on no drive of the drive table, so nothing can be restored into it.")
            .arg(QString::fromStdString(*hostPath))
            .toStdString(),
        kCaption, Icon::Warning, BoxOwner());
    return;
  }
  ui_->folderEdit->setText(Shown(*folder));
}

std::optional<std::string> CRestoreDlg::ChosenFolder() {
  const QString typed = ui_->folderEdit->text();
  std::optional<std::string> folder = RestoreFolderOf(typed.toStdString());
  if (folder) {
    ui_->folderEdit->setText(Shown(*folder));
    return folder;
  }
  const QString text =
      typed.isEmpty()
          ? tr("Type or choose the folder to restore into.")
          : tr("%1 is not a folder Arkvale can restore into.\nType a folder on a drive of the "
               "drive table, or choose one with Browse ...\nFor example: D:\\restored or "
               "/home/ann/restored")
                .arg(typed);
  doc_.prompt().ShowMessage(text.toStdString(), kCaption, Icon::Warning, BoxOwner());
  ui_->folderEdit->setFocus();
  return std::nullopt;
}

void CRestoreDlg::OnStart() {
  if (restoreInProgress) return;
  RestoreMode mode;
  if (ui_->folderRadio->isChecked()) {
    std::optional<std::string> folder = ChosenFolder();
    if (!folder) return;
    mode = RestoreMode::IntoFolder(*folder);
  }
  StartRestore(std::move(mode));
}

void CRestoreDlg::OnCompare() {
  if (restoreInProgress) return;
  StartRestore(RestoreMode::Comparing());
}

void CRestoreDlg::StartRestore(RestoreMode mode) {
  JoinWorker();
  StartRun([this, rows = TickedEntries(), mode = std::move(mode)] {
    RunRestoreAs(doc_, session_, *this, rows, mode);
  });
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

void CRestoreDlg::ShowCompareResults(std::vector<CompareResult> results, std::string summary) {
  OnInterfaceThread([this, results = std::move(results), summary = std::move(summary)]() mutable {
    // Beside the main window, so the results stay when the Restore dialog closes.
    auto* window = new CCompareResultsDlg(std::move(results), summary, parentWidget());
    window->show();
    resultsWindow_ = window;
  });
}

}  // namespace arkvale
