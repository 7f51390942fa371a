#include "client/transfer/IndexListModel.h"

#include <QString>
#include <algorithm>
#include <deque>
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

// The sort keys of names: the text the list shows for each, case folded. UTF-8 bytes compare in
// the order of their characters, so ':' comes before letters. A plain ASCII name is its own key,
// folded as it is read: copying a hundred thousand names costs more than sorting them.
class NameKeys {
 public:
  explicit NameKeys(std::size_t count) { keys_.reserve(count); }

  // The name must outlive this object.
  void Add(const std::string& storedName) {
    const bool ascii = std::all_of(storedName.begin(), storedName.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
      keys_.push_back({storedName, true});
      return;
    }
    // Private-use characters stand for the host's, and folding goes beyond ASCII.
    folded_.push_back(
        QString::fromStdString(plat::HostNameOf(storedName)).toCaseFolded().toStdString());
    keys_.push_back({folded_.back(), false});
  }

  // Row numbers in the order of their keys, equal keys in row order.
  std::vector<uint32_t> Order() const {
    std::size_t common = keys_.empty() ? 0 : keys_[0].text.size();
    for (std::size_t i = 1; i < keys_.size() && common > 0; ++i) {
      const std::size_t n = std::min(common, keys_[i].text.size());
      std::size_t k = 0;
      while (k < n && Byte(0, k) == Byte(i, k)) ++k;
      common = k;
    }
    // Two big-endian words of the key past the shared prefix: most comparisons end there,
    // without touching the names themselves.
    struct Item {
      uint64_t head[2];
      uint32_t row;
    };
    std::vector<Item> items(keys_.size());
    for (std::size_t i = 0; i < keys_.size(); ++i) {
      Item& item = items[i];
      item.row = static_cast<uint32_t>(i);
      for (std::size_t word = 0; word < 2; ++word) {
        uint64_t head = 0;
        for (std::size_t k = common + word * 8; k < common + word * 8 + 8; ++k)
          head = (head << 8) | (k < keys_[i].text.size() ? Byte(i, k) : 0u);
        item.head[word] = head;
      }
    }
    const std::size_t rest = common + 16;
    std::sort(items.begin(), items.end(), [this, rest](const Item& a, const Item& b) {
      if (a.head[0] != b.head[0]) return a.head[0] < b.head[0];
      if (a.head[1] != b.head[1]) return a.head[1] < b.head[1];
      const int c = CompareFrom(a.row, b.row, rest);
      return c != 0 ? c < 0 : a.row < b.row;
    });
    std::vector<uint32_t> order;
    order.reserve(items.size());
    for (const Item& item : items) order.push_back(item.row);
    return order;
  }

 private:
  struct Key {
    std::string_view text;
    bool fold;  // ASCII letters still to be made small
  };
  unsigned Byte(std::size_t i, std::size_t k) const {
    const auto byte = static_cast<unsigned char>(keys_[i].text[k]);
    return keys_[i].fold && byte >= 'A' && byte <= 'Z' ? byte + 32u : byte;
  }
  // Compares keys a and b from byte from on (a key shorter than that is empty there: names hold
  // no NUL, so a key that ends inside equal heads equals the other).
  int CompareFrom(std::size_t a, std::size_t b, std::size_t from) const {
    const std::size_t lengthA = keys_[a].text.size(), lengthB = keys_[b].text.size();
    for (std::size_t k = from; k < lengthA && k < lengthB; ++k) {
      const unsigned x = Byte(a, k), y = Byte(b, k);
      if (x != y) return x < y ? -1 : 1;
    }
    const std::size_t endA = std::max(lengthA, from), endB = std::max(lengthB, from);
    return endA == endB ? 0 : (endA < endB ? -1 : 1);
  }

  std::vector<Key> keys_;
  std::deque<std::string> folded_;  // keys of the names that are not plain ASCII
};

}  // namespace

void CIndexListModel::SetRows(std::vector<IndexEntry> rows) {
  beginResetModel();
  rows_.clear();
  rows_.reserve(rows.size());
  for (IndexEntry& entry : rows) rows_.push_back({std::move(entry), false});
  shown_.resize(rows_.size());
  std::iota(shown_.begin(), shown_.end(), 0u);
  for (auto& order : orders_) order.clear();
  endResetModel();
}

void CIndexListModel::Toggle(int row) {
  if (row < 0 || row >= rowCount()) return;
  Row& toggled = rows_[shown_[static_cast<std::size_t>(row)]];
  toggled.ticked = !toggled.ticked;
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
  for (uint32_t i : shown_) {
    if (rows_[i].ticked) out.push_back(rows_[i].entry);
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
  std::vector<uint32_t>& order = orders_[column];
  if (order.size() != rows_.size()) {
    if (column == 0) {
      NameKeys keys(rows_.size());
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
  }
  beginResetModel();
  shown_ = order;
  endResetModel();
}

}  // namespace arkvale
