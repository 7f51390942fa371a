#include "client/transfer/CompareResultsDlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>
#include <set>

#include "client/transfer/CompareResultsModel.h"
#include "widgets/ReportList.h"

namespace arkvale {
namespace {

constexpr int kColumnWidths[] = {330, 270, 130, 150, 120, 150};

}  // namespace

CCompareResultsDlg::CCompareResultsDlg(std::vector<CompareResult> results,
                                       const std::string& summary, QWidget* parent)
    : QDialog(parent),
      model_(new CCompareResultsModel(std::move(results), this)),
      sorted_(new QSortFilterProxyModel(this)),
      list_(new QTableView(this)) {
  setObjectName(QStringLiteral("compareResultsDialog"));
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(tr("Compare results"));
  resize(1180, 420);

  auto* summaryLabel = new QLabel(QString::fromStdString(summary), this);
  summaryLabel->setObjectName(QStringLiteral("compareSummary"));
  summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

  sorted_->setSourceModel(model_);
  sorted_->setSortRole(Qt::UserRole);
  list_->setObjectName(QStringLiteral("compareResultsList"));
  list_->setAccessibleName(tr("Compared files and their results"));
  list_->setModel(sorted_);
  StyleReportList(list_);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  QHeaderView* header = list_->horizontalHeader();
  for (int i = 0; i < model_->columnCount(); ++i) header->resizeSection(i, kColumnWidths[i]);
  header->setStretchLastSection(true);
  connect(header, &QHeaderView::sectionClicked, this, &CCompareResultsDlg::OnHeadingClicked);

  // The list's own Ctrl+C would copy a single cell.
  list_->installEventFilter(this);

  auto* copyButton = new QPushButton(tr("Copy"), this);
  copyButton->setObjectName(QStringLiteral("copyButton"));
  copyButton->setToolTip(tr("Copies the selected rows, or all rows, as text"));
  auto* closeButton = new QPushButton(tr("Close window"), this);
  closeButton->setObjectName(QStringLiteral("closeButton"));
  for (QPushButton* button : {copyButton, closeButton}) button->setAutoDefault(false);
  connect(copyButton, &QPushButton::clicked, this, &CCompareResultsDlg::OnCopy);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::close);

  auto* buttons = new QHBoxLayout;
  buttons->addWidget(copyButton);
  buttons->addStretch();
  buttons->addWidget(closeButton);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summaryLabel);
  layout->addWidget(list_);
  layout->addLayout(buttons);
}

bool CCompareResultsDlg::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
    OnCopy();
    return true;
  }
  return QDialog::eventFilter(watched, event);
}

void CCompareResultsDlg::OnHeadingClicked(int column) {
  sortOrder_ = column == sortColumn_ && sortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder
                                                                         : Qt::AscendingOrder;
  sortColumn_ = column;
  sorted_->sort(column, sortOrder_);
  list_->horizontalHeader()->setSortIndicatorShown(true);
  list_->horizontalHeader()->setSortIndicator(column, sortOrder_);
}

QString CCompareResultsDlg::CopiedText() const {
  std::set<int> rows;
  for (const QModelIndex& index : list_->selectionModel()->selectedRows()) rows.insert(index.row());
  if (rows.empty()) {
    for (int row = 0; row < sorted_->rowCount(); ++row) rows.insert(row);
  }
  auto line = [this](auto cell) {
    QStringList cells;
    for (int column = 0; column < sorted_->columnCount(); ++column) cells << cell(column);
    return cells.join(QLatin1Char('\t')) + QLatin1Char('\n');
  };
  QString text = line([this](int column) {
    return sorted_->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
  });
  for (int row : rows) {
    text += line([this, row](int column) { return sorted_->index(row, column).data().toString(); });
  }
  return text;
}

void CCompareResultsDlg::OnCopy() { QGuiApplication::clipboard()->setText(CopiedText()); }

}  // namespace arkvale
