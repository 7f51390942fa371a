#include "client/shell/LogViewerDlg.h"

#include <QHeaderView>
#include <QKeyEvent>

#include "client/resources/ResourceIds.h"
#include "client/settings/EventLog.h"
#include "client/settings/Prompt.h"
#include "ui_LogViewerDlg.h"
#include "widgets/ReportList.h"

namespace arkvale {

LogViewerDialog::LogViewerDialog(EventLog& log, Prompt& prompt, QWidget* parent)
    : QDialog(parent), log_(log), prompt_(prompt), ui_(std::make_unique<Ui::LogViewerDlg>()) {
  ui_->setupUi(this);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setObjectName(ids::IdName(ids::kLogViewerDialog));
  ui_->logList->setObjectName(ids::IdName(ids::kLogList));
  ui_->level0Check->setObjectName(ids::IdName(ids::kShowLevel0));
  ui_->level1Check->setObjectName(ids::IdName(ids::kShowLevel1));
  ui_->level2Check->setObjectName(ids::IdName(ids::kShowLevel2));
  ui_->refreshButton->setObjectName(ids::IdName(ids::kRefreshLogs));
  ui_->level0Check->setChecked(levels_.showLevel0);
  ui_->level1Check->setChecked(levels_.showLevel1);
  ui_->level2Check->setChecked(levels_.showLevel2);

  QTableView* list = ui_->logList;
  list->setModel(&model_);
  QPalette palette = list->palette();
  palette.setColor(QPalette::Base, Qt::white);
  list->setPalette(palette);
  StyleReportList(list);
  // One fixed height for every row: the view then never measures a hundred thousand of them.
  list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  // The message column fills the width the other columns leave.
  list->horizontalHeader()->setStretchLastSection(true);
  for (int column = 0; column < model_.columnCount(); ++column) {
    list->horizontalHeader()->resizeSection(column, CLogListModel::ColumnWidth(column));
  }
  // The time must show whole in the column one clicks; fonts here are wider than 150 pixels allow.
  const QFontMetrics metrics = list->fontMetrics();
  const int timeWidth = metrics.horizontalAdvance(QStringLiteral("Wed 30/09/04  23:59:59")) +
                        4 * metrics.averageCharWidth();
  if (timeWidth > CLogListModel::ColumnWidth(0))
    list->horizontalHeader()->resizeSection(0, timeWidth);
  list->installEventFilter(this);

  connect(ui_->refreshButton, &QPushButton::clicked, this, &LogViewerDialog::OnRefreshLogs);
  connect(list, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    if (index.column() == 0) ShowOneMessage(index.row());
  });
}

LogViewerDialog::~LogViewerDialog() {
  // A read under way is abandoned; its rows are never shown.
  reader_.request_stop();
  if (reader_.joinable()) reader_.join();
}

void LogViewerDialog::Fill() {
  if (filling_) return;
  filling_ = true;
  ui_->refreshButton->setEnabled(false);
  // The previous read has ended: its rows have been shown.
  if (reader_.joinable()) reader_.join();
  reader_ = std::jthread([this, levels = levels_](std::stop_token stop) {
    std::optional<std::vector<std::string>> lines =
        log_.ReadAll(kLogViewerLineBuffer, [&stop] { return !stop.stop_requested(); });
    auto rows = std::make_shared<std::optional<std::vector<LogRow>>>();
    if (lines && !stop.stop_requested()) *rows = LogRows(*lines, levels);
    if (stop.stop_requested()) return;
    // Queued to the dialog: dropped with it if it has gone by then.
    QMetaObject::invokeMethod(
        this, [this, rows] { ShowRows(std::move(*rows)); }, Qt::QueuedConnection);
  });
}

void LogViewerDialog::ShowRows(std::optional<std::vector<LogRow>> rows) {
  filling_ = false;
  ui_->refreshButton->setEnabled(true);
  if (!rows) {
    model_.SetRows({});
    prompt_.ShowMessage(kCannotOpenLogText, kCaption, Icon::Warning, Owner::LogViewer);
  } else {
    model_.SetRows(std::move(*rows));
    ui_->logList->scrollToBottom();
    // Once more when the scroll bars that the new rows bring have been laid out.
    QMetaObject::invokeMethod(ui_->logList, &QTableView::scrollToBottom, Qt::QueuedConnection);
  }
  emit Filled();
}

void LogViewerDialog::OnRefreshLogs() {
  levels_.showLevel0 = ui_->level0Check->isChecked();
  levels_.showLevel1 = ui_->level1Check->isChecked();
  levels_.showLevel2 = ui_->level2Check->isChecked();
  Fill();
}

void LogViewerDialog::ShowOneMessage(int row) {
  if (row < 0 || row >= model_.rowCount()) return;
  prompt_.ShowMessage(model_.rows()[static_cast<std::size_t>(row)].message, kLogMessageCaption,
                      Icon::None, Owner::LogViewer);
}

bool LogViewerDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ui_->logList && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      const QModelIndex current = ui_->logList->currentIndex();
      if (current.isValid()) ShowOneMessage(current.row());
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace arkvale
