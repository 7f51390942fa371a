#pragma once
// The window a Compare ends with: one row per compared file with its result, sizes and times,
// sorted by a click on a heading (again for the other way), copied as tab-separated text.
// Modeless; it deletes itself when closed.
#include <QDialog>
#include <vector>

#include "client/transfer/CompareResult.h"

class QLabel;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace arkvale {

class CCompareResultsModel;

class CCompareResultsDlg : public QDialog {
  Q_OBJECT
 public:
  CCompareResultsDlg(std::vector<CompareResult> results, const std::string& summary,
                     QWidget* parent = nullptr);

  QTableView* list() const { return list_; }
  // The selected rows, or every row when none is selected, as shown, under a heading line.
  QString CopiedText() const;
  void OnCopy();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void OnHeadingClicked(int column);

  CCompareResultsModel* model_;
  QSortFilterProxyModel* sorted_;
  QTableView* list_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace arkvale
