#include "client/transfer/IndexListModel.h"

#include <QString>
#include <algorithm>

#include "client/transfer/ServerIndex.h"

namespace arkvale {
namespace {

struct Column {
  const char* title;
  Qt::Alignment alignment;
};
const Column kColumns[3] = {{"File name", Qt::AlignLeft},
                            {"Size (bytes)", Qt::AlignRight},
                            {"Last Modified", Qt::AlignHCenter}};

}  // namespace

void CIndexListModel::SetRows(std::vector<IndexEntry> rows) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(rows.size());
  for (IndexEntry& entry : rows) rows_.push_back({std::move(entry), false});
  endResetModel();
}

void CIndexListModel::Toggle(int row) {
  if (row < 0 || row >= rowCount()) return;
  rows_[static_cast<std::size_t>(row)].ticked = !ticked(row);
  emit dataChanged(index(row, 0), index(row, 0), {Qt::CheckStateRole});
}

void CIndexListModel::SetAllTicked(bool ticked) {
  for (Row& row : rows_) row.ticked = ticked;
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

int CIndexListModel::TickedCount() const {
  return static_cast<int>(
      std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.ticked; }));
}

std::vector<IndexEntry> CIndexListModel::TickedEntries() const {
  std::vector<IndexEntry> out;
  for (const Row& row : rows_) {
    if (row.ticked) out.push_back(row.entry);
  }
  return out;
}

int CIndexListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CIndexListModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : 3;
}

QVariant CIndexListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(IndexCell(entry(index.row()), index.column()));
    case Qt::CheckStateRole:
      if (index.column() == 0) return ticked(index.row()) ? Qt::Checked : Qt::Unchecked;
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(kColumns[index.column()].alignment | Qt::AlignVCenter);
    default:
      return {};
  }
}

bool CIndexListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::CheckStateRole || !index.isValid() || index.column() != 0) return false;
  bool tick = value.toInt() == Qt::Checked;
  if (tick != ticked(index.row())) Toggle(index.row());
  return true;
}

Qt::ItemFlags CIndexListModel::flags(const QModelIndex& index) const {
  Qt::ItemFlags flags = QAbstractTableModel::flags(index);
  if (index.column() == 0) flags |= Qt::ItemIsUserCheckable;
  return flags;
}

QVariant CIndexListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= 3) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(kColumns[section].title);
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(kColumns[section].alignment | Qt::AlignVCenter);
  }
  return {};
}

void CIndexListModel::sort(int column, Qt::SortOrder) {
  auto less = [column](const Row& a, const Row& b) {
    switch (column) {
      case 0:
        return QString::fromStdString(a.entry.name)
                   .compare(QString::fromStdString(b.entry.name), Qt::CaseInsensitive) < 0;
      case 1:
        return a.entry.size < b.entry.size;
      default:
        return a.entry.modified < b.entry.modified;
    }
  };
  if (column < 0 || column >= 3) return;
  beginResetModel();
  std::stable_sort(rows_.begin(), rows_.end(), less);
  endResetModel();
}

}  // namespace arkvale
