#pragma once
// A list of the Backup dialog as a table model: the rows are held once and their texts are made
// when the view asks for them. Sorting is ascending by the clicked column every time.
#include <QAbstractTableModel>
#include <array>
#include <string>
#include <vector>

#include "client/transfer/BackupRows.h"
#include "platform/WindowsNames.h"

namespace arkvale {

struct ListColumn {
  const char* title;
  Qt::Alignment alignment;
  int width;
};

template <typename Row>
class CBackupListModel : public QAbstractTableModel {
 public:
  using CellText = std::string (*)(const Row&, int);
  using SortRows = void (*)(std::vector<Row>&, int);

  CBackupListModel(std::array<ListColumn, 4> columns, CellText cell, SortRows sort,
                   QObject* parent = nullptr)
      : QAbstractTableModel(parent), columns_(columns), cell_(cell), sort_(sort) {}

  void SetRows(std::vector<Row> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
  }
  const std::vector<Row>& rows() const { return rows_; }
  const std::array<ListColumn, 4>& columns() const { return columns_; }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) {
      return QString::fromStdString(
          plat::HostNameOf(cell_(rows_[static_cast<std::size_t>(index.row())], index.column())));
    }
    if (role == Qt::TextAlignmentRole) {
      return QVariant::fromValue(columns_[index.column()].alignment | Qt::AlignVCenter);
    }
    return {};
  }
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return QString::fromLatin1(columns_[section].title);
    if (role == Qt::TextAlignmentRole) {
      return QVariant::fromValue(columns_[section].alignment | Qt::AlignVCenter);
    }
    return {};
  }
  void sort(int column, Qt::SortOrder = Qt::AscendingOrder) override {
    if (column < 0 || column >= columnCount()) return;
    beginResetModel();
    sort_(rows_, column);
    endResetModel();
  }

 private:
  std::array<ListColumn, 4> columns_;
  CellText cell_;
  SortRows sort_;
  std::vector<Row> rows_;
};

using CDirectoryListModel = CBackupListModel<ChosenDirectoryRow>;
using CFileListModel = CBackupListModel<ChosenFileRow>;

}  // namespace arkvale
