#pragma once
// The rows of the file list: the plain files of one directory in the order the file system
// gives them, each with its tick from the selection. Texts are formatted when the view asks.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "client/selection/FileRow.h"

namespace arkvale {

class CSelection;

class FileListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum Column { kNameColumn = 0, kSizeColumn = 1, kTimeColumn = 2, kColumnCount = 3 };

  using QAbstractTableModel::QAbstractTableModel;

  // Replaces the rows with the plain files of directory; a directory that cannot be listed
  // gives no rows. A row is ticked when the directory is chosen or the file itself is.
  void Fill(const std::string& directory, const CSelection& selection);
  // Ascending by a column; rows that compare equal keep their order.
  void Sort(int column);

  int RowCount() const { return static_cast<int>(rows_.size()); }
  const FileRow& Row(int row) const { return rows_[row].file; }
  bool IsTicked(int row) const { return rows_[row].ticked; }
  std::vector<std::string> Names() const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  struct Entry {
    FileRow file;
    bool ticked = false;
  };
  std::vector<Entry> rows_;
};

}  // namespace arkvale
