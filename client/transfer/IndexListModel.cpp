#include "client/transfer/IndexListModel.h"

#include <QString>
#include <algorithm>
#include <numeric>
#include <string_view>

#include "client/transfer/ServerIndex.h"
#include "platform/WindowsNames.h"

namespace arkvale {
namespace {

struct Column {
  const char* title;
  Qt::Alignment alignment;
};
const Column kColumns[3] = {{"File name", Qt::AlignLeft},
                            {"Size (bytes)", Qt::AlignRight},
                            {"Last Modified", Qt::AlignHCenter}};

// The sort keys of names: the text the list shows for each, case folded, all in one block. UTF-8
// bytes compare in the order of their characters, so ':' comes before letters.
class NameKeys {
 public:
  void Add(const std::string& storedName) {
    const auto at = static_cast<uint32_t>(text_.size());
    const bool ascii = std::all_of(storedName.begin(), storedName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      // No private-use characters and nothing beyond ASCII to fold.
      for (char c : storedName) text_ += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    } else {
      text_ += QString::fromStdString(plat::HostNameOf(storedName)).toCaseFolded().toStdString();
    }
    spans_.push_back({at, static_cast<uint32_t>(text_.size()) - at});
  }

  // Row numbers in the order of their keys, equal keys in row order. Most comparisons are
  // settled by eight bytes that follow the prefix every key shares.
  std::vector<uint32_t> Order() const {
    std::size_t common = spans_.empty() ? 0 : spans_[0].length;
    for (std::size_t i = 1; i < spans_.size() && common > 0; ++i) {
      const std::string_view a = Key(0), b = Key(i);
      std::size_t n = std::min({common, a.size(), b.size()});
      std::size_t k = 0;
      while (k < n && a[k] == b[k]) ++k;
      common = k;
    }
    struct Item {
      uint64_t head;
      uint32_t row;
    };
    std::vector<Item> items(spans_.size());
    for (std::size_t i = 0; i < spans_.size(); ++i) {
      const std::string_view rest = Key(i).substr(common);
      uint64_t head = 0;
      for (std::size_t k = 0; k < 8; ++k) {
        head = (head << 8) | (k < rest.size() ? static_cast<unsigned char>(rest[k]) : 0u);
      }
      items[i] = {head, static_cast<uint32_t>(i)};
    }
    std::sort(items.begin(), items.end(), [this, common](const Item& a, const Item& b) {
      if (a.head != b.head) return a.head < b.head;
      const int c = Key(a.row).substr(common).compare(Key(b.row).substr(common));
      return c != 0 ? c < 0 : a.row < b.row;
    });
    std::vector<uint32_t> order;
    order.reserve(items.size());
    for (const Item& item : items) order.push_back(item.row);
    return order;
  }

 private:
  struct Span {
    uint32_t at;
    uint32_t length;
  };
  std::string_view Key(std::size_t i) const {
    return std::string_view(text_).substr(spans_[i].at, spans_[i].length);
  }
  std::string text_;
  std::vector<Span> spans_;
};

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
  if (column < 0 || column >= 3) return;
  // Keys are made once per row, not per comparison; equal keys keep their order.
  std::vector<uint32_t> order;
  if (column == 0) {
    NameKeys keys;
    for (const Row& row : rows_) keys.Add(row.entry.name);
    order = keys.Order();
  } else {
    // The signed key made unsigned in the high half, the row in the low half: one integer each.
    std::vector<uint64_t> items;
    items.reserve(rows_.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) {
      const IndexEntry& e = rows_[i].entry;
      const uint32_t key = static_cast<uint32_t>(column == 1 ? e.size : e.modified) ^ 0x80000000u;
      items.push_back((uint64_t{key} << 32) | i);
    }
    std::sort(items.begin(), items.end());
    order.reserve(items.size());
    for (uint64_t item : items) order.push_back(static_cast<uint32_t>(item));
  }
  std::vector<Row> sorted;
  sorted.reserve(rows_.size());
  for (uint32_t i : order) sorted.push_back(std::move(rows_[i]));
  beginResetModel();
  rows_ = std::move(sorted);
  endResetModel();
}

}  // namespace arkvale
