#pragma once
// The list of a Restore or Delete dialog: one row per stored file with its tick. Texts are made
// when the view asks for them, so a long listing opens at once.
#include <QAbstractTableModel>
#include <cstdint>
#include <vector>

#include "client/transfer/IndexEntry.h"

namespace arkvale {

class CIndexListModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;

  // New rows, every one unticked, in the order given.
  void SetRows(std::vector<IndexEntry> rows);
  const IndexEntry& entry(int row) const { return At(row).entry; }
  bool ticked(int row) const { return At(row).ticked; }
  void Toggle(int row);
  void SetAllTicked(bool ticked);
  int TickedCount() const;
  // The ticked rows, top to bottom as shown.
  std::vector<IndexEntry> TickedEntries() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Always ascending: names case-insensitive, sizes and times by value.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  struct Row {
    IndexEntry entry;
    bool ticked = false;
  };
  const Row& At(int row) const { return rows_[shown_[static_cast<std::size_t>(row)]]; }

  // Rows stay where they arrived; a sort only changes which is shown where, and each column's
  // order is made once per listing, so clicking between headings costs a copy.
  std::vector<Row> rows_;
  std::vector<uint32_t> shown_;  // shown row -> index into rows_
  std::vector<uint32_t> orders_[3];
};

// Widths in pixels of the three columns.
inline constexpr int kIndexColumnWidths[3] = {330, 96, 128};

}  // namespace arkvale
