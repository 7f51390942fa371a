#pragma once
// The right pane of the main window: the plain files of the directory selected in the drive
// tree, each with a box that says whether it is chosen. A click on a row chooses or un-chooses
// that file and tells the tree how much of the directory is now chosen.
#include <QTableView>
#include <string>

#include "client/selection/FileListModel.h"
#include "client/selection/SelectionObserver.h"

namespace arkvale {

class CSelection;

class CFileView : public QTableView, public SelectionObserver {
  Q_OBJECT

 public:
  // Watches the selection's update broadcast for as long as the view lives.
  explicit CFileView(CSelection& selection, QWidget* parent = nullptr);
  ~CFileView() override;

  void OnSelectionUpdate(const SelectionHint& hint) override;

  const FileListModel& Rows() const { return fileRows; }
  int SortColumn() const { return sortColumn; }
  // A click on the row: what a left button press on it does.
  void ClickRow(int row);
  // A click on a column heading.
  void SortByColumn(int column);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CSelection& selection;
  FileListModel fileRows;
  int sortColumn = 0;
  // The last left press on a row, to know the second press of a double-click.
  bool lastPressValid = false;
  quint64 lastPressTime = 0;
  QPoint lastPressAt;
};

}  // namespace arkvale
