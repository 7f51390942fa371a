#pragma once
// The rows of the Compare results window: one per compared file. Display texts, and sort keys
// under Qt::UserRole so sizes and times sort by value.
#include <QAbstractTableModel>
#include <vector>

#include "client/transfer/CompareResult.h"

namespace arkvale {

class CCompareResultsModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CCompareResultsModel(std::vector<CompareResult> results, QObject* parent = nullptr);

  const CompareResult& result(int row) const { return results_[static_cast<std::size_t>(row)]; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<CompareResult> results_;
};

}  // namespace arkvale
