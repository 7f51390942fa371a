#pragma once
// The rows of the log viewer as a table model: held once, their texts made only for the rows the
// view shows, so a log of a busy year opens at once.
#include <QAbstractTableModel>
#include <vector>

#include "client/shell/LogRows.h"

namespace arkvale {

class CLogListModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  void SetRows(std::vector<LogRow> rows);
  const std::vector<LogRow>& rows() const { return rows_; }
  // Pixel width of each column as the viewer opens.
  static int ColumnWidth(int column);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<LogRow> rows_;
};

}  // namespace arkvale
