#pragma once
// The left pane of the main window: the drives of the drive table and their directories, read
// lazily as the user expands them, with a box on every item and a picture that tells how much
// of each directory is chosen. Ticking a box chooses or un-chooses a whole directory tree;
// selecting an item makes the file list show that directory.
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QTreeWidget>
#include <string>

#include "client/selection/SelectionObserver.h"
#include "client/selection/TreeMarks.h"

namespace arkvale {

class CSelection;
class Prompt;

class CDriveView : public QTreeWidget, public SelectionObserver {
  Q_OBJECT

 public:
  // Item data: the normal and the selected image number.
  static constexpr int kImageRole = Qt::UserRole + 1;
  static constexpr int kSelectedImageRole = Qt::UserRole + 2;
  // True for a link to a directory, which ticking a directory above it does not enter.
  static constexpr int kLinkRole = Qt::UserRole + 3;
  // The item's name as the drive table gives it: the shown text cannot hold every name a host
  // directory may carry (bytes that are not UTF-8), the path must.
  static constexpr int kNameRole = Qt::UserRole + 4;

  // Fills the drives, then selects and expands the first fixed drive, which broadcasts its path:
  // create the file list first so that it shows that directory.
  CDriveView(CSelection& selection, Prompt& prompt, QWidget* parent = nullptr);
  ~CDriveView() override;

  void OnSelectionUpdate(const SelectionHint& hint) override;
  // Makes the file list show path.
  virtual void ShowDirectory(const std::string& path);

  // C:\ for a drive item, C:\first\second for a directory two levels below it.
  std::string ItemPath(const QTreeWidgetItem* item) const;
  QTreeWidgetItem* CurrentItem() const { return currentItem; }
  static ItemImages ImagesOf(const QTreeWidgetItem* item);
  static bool IsTicked(const QTreeWidgetItem* item);

  // What a click on the item's box does, the box being in its present state. A box toggled
  // with the keyboard comes here too, so it always changes the selection.
  void ClickCheckBox(QTreeWidgetItem* item);

  // Every item below (and including) item ticked and shown wholly chosen, or cleared and shown
  // with nothing chosen. Only the items the tree holds; nothing is read from disk. Ticking leaves
  // links below the item alone, as choosing the directory tree does.
  void MarkSubtreeChosen(QTreeWidgetItem* item);
  void ClearSubtree(QTreeWidgetItem* item);
  // Shows a mark on the current item, then brings its ancestors up to date.
  void ApplyMark(int mark);
  void UpdateAncestorMarks();

  // For loading a backup set: every item shown with nothing chosen and its box cleared; every
  // top-level item but the first collapsed. Both return false when the tree has no item.
  bool ResetMarks();
  bool CollapseAllButFirst();

 protected:
  // A press on empty space keeps the selection: the file list and the marks belong to it.
  void mousePressEvent(QMouseEvent* event) override;
  // Dotted lines join each item to its parent and its siblings.
  void drawBranches(QPainter* painter, const QRect& rect, const QModelIndex& index) const override;

 private:
  int FillDrives();
  QTreeWidgetItem* AddItem(QTreeWidgetItem* parent, const std::string& text, ItemImages images);
  void AddPlaceholder(QTreeWidgetItem* item, int selectedImage);
  bool ProbeSubdirectories(QTreeWidgetItem* item, const std::string& path);
  int PopulateChildren(QTreeWidgetItem* item, const std::string& path);
  void SetImages(QTreeWidgetItem* item, ItemImages images);
  void SetBox(QTreeWidgetItem* item, bool ticked);
  const QIcon& IconFor(ItemImages images);

  void OnItemExpanded(QTreeWidgetItem* item);
  void OnItemCollapsed(QTreeWidgetItem* item);
  void OnCurrentItemChanged(QTreeWidgetItem* current);
  void OnItemChanged(QTreeWidgetItem* item, int column);

  CSelection& selection;
  Prompt& prompt;
  QTreeWidgetItem* currentItem = nullptr;
  QList<QPixmap> imageList;
  QHash<int, QIcon> icons;
  // Nonzero while the view changes its own items: those changes are not the user's.
  int quiet = 0;
};

}  // namespace arkvale
