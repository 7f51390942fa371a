#pragma once
// The look of a read-only list of rows with column headers, as the transfer dialogs show their
// files: grid, whole-row single selection, no row numbers, one line a row, clickable headers.
class QTableView;

namespace arkvale {

void StyleReportList(QTableView* view);

}  // namespace arkvale
