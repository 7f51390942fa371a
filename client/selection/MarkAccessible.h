#pragma once
// The drive tree and the file list on the accessibility bus. Qt's own item interfaces report a
// box as checked or not, but not the drive tree's "partly chosen" picture, and their toggle
// action selects the row instead of changing its mark. These interfaces report each row's mark
// as checked, partly checked or unchecked and toggle it as a click on the box would.
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QPersistentModelIndex>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace arkvale {

// Installs the interfaces for CDriveView and CFileView; once per process.
void InstallMarkAccessibility();

// What the interfaces need of a view: the mark of a row and its toggle.
class MarkedRows {
 public:
  virtual ~MarkedRows() = default;
  // The mark shown by the row of index (column 0); nullopt for a row without a box.
  virtual std::optional<Qt::CheckState> Mark(const QModelIndex& index) const = 0;
  virtual void ToggleMark(const QModelIndex& index) = 0;
};

// A view whose children are laid out as Qt lays out those of its trees and tables (header row
// first, then each row's cells, row headers counted when the view has them), so that the view's
// own focus events name the right child.
class CMarkedViewAccessible : public QAccessibleWidget {
 public:
  CMarkedViewAccessible(QAbstractItemView* view, std::unique_ptr<MarkedRows> rows);
  ~CMarkedViewAccessible() override;

  QAbstractItemView* view() const;
  MarkedRows& rows() const { return *rows_; }

  int childCount() const override;
  QAccessibleInterface* child(int index) const override;
  int indexOfChild(const QAccessibleInterface* child) const override;
  QAccessibleInterface* childAt(int x, int y) const override;

  // Child number of a cell (row and column of the model; -1 for a header).
  int ChildNumber(int visualRow, int column) const;

 private:
  bool HasRowHeader() const;
  int ColumnsPerRow() const;
  // The rows in the order shown: a tree's expanded items, a table's rows.
  std::vector<QModelIndex> VisibleRows() const;
  QAccessibleInterface* Cached(int visualRow, int column, const QModelIndex& index) const;

  std::unique_ptr<MarkedRows> rows_;
  struct Entry {
    QPersistentModelIndex index;
    bool header;  // a header cell, found by its place; a cell is found by its index
    int visualRow;
    int column;
    QAccessible::Id id;
  };
  mutable std::vector<Entry> cache_;
};

}  // namespace arkvale
