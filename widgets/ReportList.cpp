#include "widgets/ReportList.h"

#include <QHeaderView>
#include <QTableView>

namespace arkvale {

void StyleReportList(QTableView* view) {
  view->setShowGrid(true);
  view->verticalHeader()->hide();
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  view->setSelectionMode(QAbstractItemView::SingleSelection);
  view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view->setWordWrap(false);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
  QHeaderView* header = view->horizontalHeader();
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
}

}  // namespace arkvale
