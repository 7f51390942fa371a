#include "client/transfer/IndexDlg.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

#include "client/document/ArkvaleDoc.h"
#include "client/transfer/StopFiles.h"
#include "widgets/ReportList.h"

namespace arkvale {
namespace {

// Leaves mouse clicks to the dialog, which toggles a row wherever it is clicked; a click on the
// check box would otherwise toggle it twice. Space still toggles the current row.
class CTickDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
        return false;
      default:
        return QStyledItemDelegate::editorEvent(event, model, option, index);
    }
  }
};

}  // namespace

CIndexDlg::CIndexDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent)
    : QDialog(parent), doc_(doc), session_(session) {
  setAttribute(Qt::WA_DeleteOnClose);
}

CIndexDlg::~CIndexDlg() {
  // The dialog closes only after its run has ended; a retrieval ends before it is shown.
  if (worker_.joinable()) worker_.join();
}

void CIndexDlg::Wire(const Controls& controls) {
  controls_ = controls;
  QTableView* list = controls_.list;
  list->setModel(&model_);
  list->setItemDelegate(new CTickDelegate(list));
  StyleReportList(list);
  QHeaderView* header = list->horizontalHeader();
  for (int i = 0; i < 3; ++i) header->resizeSection(i, kIndexColumnWidths[i]);
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) { model_.sort(column); });
  connect(list, &QTableView::clicked, this, &CIndexDlg::OnListClicked);
  connect(&model_, &QAbstractItemModel::dataChanged, this, [this] { Recount(); });

  // Enter in the search box searches; no button is a default one, so Enter never ends the dialog.
  for (QPushButton* button : findChildren<QPushButton*>()) {
    button->setAutoDefault(false);
    button->setDefault(false);
  }
  connect(controls_.searchText, &QLineEdit::returnPressed, this, &CIndexDlg::OnSearch);
  connect(controls_.search, &QPushButton::clicked, this, &CIndexDlg::OnSearch);
  connect(controls_.checkAll, &QPushButton::clicked, this, &CIndexDlg::OnCheckAll);
  connect(controls_.uncheckAll, &QPushButton::clicked, this, &CIndexDlg::OnUncheckAll);
  connect(controls_.start, &QPushButton::clicked, this, [this] { OnStart(); });
  connect(controls_.stop, &QPushButton::clicked, this, &CIndexDlg::OnStop);
  connect(controls_.close, &QPushButton::clicked, this, &CIndexDlg::OnCloseWindow);
  controls_.ok->hide();
  EnableStart(false);
  controls_.stop->setEnabled(false);
}

void CIndexDlg::StartRetrieval(std::shared_ptr<RetrievalCounters> counters) {
  JoinWorker();
  retrieving_ = true;
  counters_ = counters;
  worker_ = std::thread([this, counters] {
    RetrieveIndex(doc_, session_, *this, *counters);
    retrieving_ = false;
  });
}

bool CIndexDlg::Retrieving() const {
  return retrieving_ && !(counters_ != nullptr && counters_->expected == -1);
}

void CIndexDlg::JoinWorker() {
  if (worker_.joinable()) worker_.join();
}

void CIndexDlg::OnListClicked(const QModelIndex& index) {
  if (index.isValid()) model_.Toggle(index.row());
}

void CIndexDlg::Recount() { EnableStart(StartAvailable() && model_.TickedCount() != 0); }

void CIndexDlg::EnableStart(bool enabled) { controls_.start->setEnabled(enabled); }

void CIndexDlg::OnSearch() { SearchIndex(doc_, *this, controls_.searchText->text().toStdString()); }

void CIndexDlg::OnCheckAll() {
  model_.SetAllTicked(true);
  EnableStart(StartAvailable());
}

void CIndexDlg::OnUncheckAll() {
  model_.SetAllTicked(false);
  EnableStart(false);
}

void CIndexDlg::OnStop() {
  controls_.stop->setEnabled(false);
  // With no run to take it, the file would stop the next run before its first file.
  if (RunFlag()) CreateStopFile(StopFile());
}

void CIndexDlg::StartRun(std::function<void()> run) {
  controls_.stop->setEnabled(true);
  RunFlag() = true;
  worker_ = std::thread([this, run = std::move(run)] {
    run();
    RunEnded();
  });
}

void CIndexDlg::RunEnded() {
  TakeStopFile(StopFile());
  OnInterfaceThread([this] { controls_.stop->setEnabled(false); });
}

void CIndexDlg::SetRows(std::vector<IndexEntry> rows) {
  OnInterfaceThread([this, rows = std::move(rows)]() mutable { model_.SetRows(std::move(rows)); });
}

void CIndexDlg::SetSearchText(const std::string& text) {
  OnInterfaceThread(
      [this, text = QString::fromStdString(text)] { controls_.searchText->setText(text); });
}

void CIndexDlg::ShowDialog() {
  OnInterfaceThread([this] {
    show();
    retrieving_ = false;
  });
}

void CIndexDlg::OnCloseWindow() {
  if (RunFlag()) {
    ShowStillRunning();
    return;
  }
  close();
}

void CIndexDlg::reject() { OnCloseWindow(); }

void CIndexDlg::ShowStillRunning() {
  doc_.prompt().ShowMessage(StillRunningText(), kApplicationTitle, Icon::None, BoxOwner());
}

void CIndexDlg::closeEvent(QCloseEvent* event) {
  if (RunFlag()) {
    // A close the program sends itself as it ends is not answered with a box.
    if (event->spontaneous()) ShowStillRunning();
    event->ignore();
    return;
  }
  event->accept();
}

}  // namespace arkvale
