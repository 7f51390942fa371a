#include "client/selection/MarkAccessible.h"

#include <QHeaderView>
#include <QPointer>
#include <QTableView>
#include <QTreeView>
#include <QWindow>

#include "client/selection/DriveView.h"
#include "client/selection/FileView.h"

namespace arkvale {
namespace {

class DriveRows : public MarkedRows {
 public:
  explicit DriveRows(CDriveView* view) : view_(view) {}
  std::optional<Qt::CheckState> Mark(const QModelIndex& index) const override {
    const QTreeWidgetItem* item = view_->itemFromIndex(index);
    if (item == nullptr) return std::nullopt;
    if (CDriveView::IsTicked(item)) return Qt::Checked;
    // The picture tells what the box does not: images come in threes, nothing, partly, wholly
    // chosen. A directory not chosen itself but with chosen content is partly checked.
    return CDriveView::ImagesOf(item).normal % 3 == kMarkNone ? Qt::Unchecked
                                                              : Qt::PartiallyChecked;
  }
  void ToggleMark(const QModelIndex& index) override {
    if (QTreeWidgetItem* item = view_->itemFromIndex(index)) view_->ClickCheckBox(item);
  }

 private:
  CDriveView* view_;
};

class FileRows : public MarkedRows {
 public:
  explicit FileRows(CFileView* view) : view_(view) {}
  std::optional<Qt::CheckState> Mark(const QModelIndex& index) const override {
    if (index.row() >= view_->Rows().RowCount()) return std::nullopt;
    return view_->Rows().IsTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
  }
  void ToggleMark(const QModelIndex& index) override { view_->ClickRow(index.row()); }

 private:
  CFileView* view_;
};

// One cell of a marked view, or one of its header cells (index invalid).
class CMarkedCellAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  CMarkedCellAccessible(const CMarkedViewAccessible* parent, const QModelIndex& index, int column)
      : parent_(parent), view_(parent->view()), index_(index), column_(column) {}

  bool isValid() const override { return view_ != nullptr && (IsHeader() || index_.isValid()); }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return parent_->window(); }
  QAccessibleInterface* parent() const override {
    return const_cast<CMarkedViewAccessible*>(parent_);
  }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }

  QString text(QAccessible::Text t) const override {
    if (t != QAccessible::Name || !isValid()) return {};
    if (IsHeader()) {
      if (column_ < 0) return {};
      return view_->model()->headerData(column_, Qt::Horizontal).toString();
    }
    return index_.data(Qt::DisplayRole).toString();
  }
  void setText(QAccessible::Text, const QString&) override {}

  QRect rect() const override {
    if (!isValid()) return {};
    QRect r;
    if (!IsHeader()) {
      r = view_->visualRect(index_);
      r.translate(view_->viewport()->mapToGlobal(QPoint(0, 0)));
    }
    return r;
  }

  QAccessible::Role role() const override {
    if (IsHeader()) return column_ < 0 ? QAccessible::Cell : QAccessible::ColumnHeader;
    return qobject_cast<QTreeView*>(view_) != nullptr ? QAccessible::TreeItem : QAccessible::Cell;
  }

  QAccessible::State state() const override {
    QAccessible::State st;
    if (!isValid()) return st;
    if (IsHeader()) {
      const auto* table = qobject_cast<QTableView*>(view_.data());
      st.invisible = table == nullptr || column_ < 0 || table->horizontalHeader()->isHidden();
      return st;
    }
    st.focusable = true;
    if (view_->currentIndex() == QModelIndex(index_)) st.focused = view_->hasFocus();
    if (!view_->viewport()->rect().intersects(view_->visualRect(index_))) st.invisible = true;
    if (const auto* tree = qobject_cast<QTreeView*>(view_.data())) {
      st.expandable = view_->model()->hasChildren(index_);
      st.expanded = tree->isExpanded(index_);
    }
    if (std::optional<Qt::CheckState> mark = Mark()) {
      st.checkable = true;
      st.checked = *mark == Qt::Checked;
      st.checkStateMixed = *mark == Qt::PartiallyChecked;
    }
    return st;
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ActionInterface) return static_cast<QAccessibleActionInterface*>(this);
    return nullptr;
  }

  QStringList actionNames() const override {
    return Mark() ? QStringList{toggleAction()} : QStringList{};
  }
  void doAction(const QString& name) override {
    if (name == toggleAction() && Mark()) {
      const_cast<CMarkedViewAccessible*>(parent_)->rows().ToggleMark(MarkIndex());
    }
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    return name == toggleAction() ? QStringList{QStringLiteral("Space")} : QStringList{};
  }

  const QPersistentModelIndex& index() const { return index_; }
  int column() const { return column_; }

 private:
  bool IsHeader() const { return !index_.isValid() && column_ != kCellColumn; }
  // The mark belongs to the whole row; it is reported on the row's first cell.
  QModelIndex MarkIndex() const { return index_.sibling(index_.row(), 0); }
  std::optional<Qt::CheckState> Mark() const {
    if (!isValid() || IsHeader() || index_.column() != 0) return std::nullopt;
    return parent_->rows().Mark(MarkIndex());
  }

  static constexpr int kCellColumn = -2;
  const CMarkedViewAccessible* parent_;
  QPointer<QAbstractItemView> view_;
  QPersistentModelIndex index_;
  int column_;  // header cells: the column, -1 for the corner; cells: kCellColumn

 public:
  static CMarkedCellAccessible* Cell(const CMarkedViewAccessible* parent,
                                     const QModelIndex& index) {
    return new CMarkedCellAccessible(parent, index, kCellColumn);
  }
};

QAccessibleInterface* MarkedViewFactory(const QString& className, QObject* object) {
  if (auto* drives = qobject_cast<CDriveView*>(object);
      drives != nullptr && className == QLatin1String(CDriveView::staticMetaObject.className())) {
    return new CMarkedViewAccessible(drives, std::make_unique<DriveRows>(drives));
  }
  if (auto* files = qobject_cast<CFileView*>(object);
      files != nullptr && className == QLatin1String(CFileView::staticMetaObject.className())) {
    return new CMarkedViewAccessible(files, std::make_unique<FileRows>(files));
  }
  return nullptr;
}

}  // namespace

void InstallMarkAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(&MarkedViewFactory);
    return true;
  }();
  (void)installed;
}

CMarkedViewAccessible::CMarkedViewAccessible(QAbstractItemView* view,
                                             std::unique_ptr<MarkedRows> rows)
    : QAccessibleWidget(
          view, qobject_cast<QTreeView*>(view) != nullptr ? QAccessible::Tree : QAccessible::Table),
      rows_(std::move(rows)) {}

CMarkedViewAccessible::~CMarkedViewAccessible() {
  for (const Entry& entry : cache_) QAccessible::deleteAccessibleInterface(entry.id);
}

QAbstractItemView* CMarkedViewAccessible::view() const {
  return qobject_cast<QAbstractItemView*>(object());
}

bool CMarkedViewAccessible::HasRowHeader() const {
  return qobject_cast<QTableView*>(view()) != nullptr;
}

int CMarkedViewAccessible::ColumnsPerRow() const {
  const QAbstractItemModel* model = view()->model();
  return (model != nullptr ? model->columnCount() : 0) + (HasRowHeader() ? 1 : 0);
}

std::vector<QModelIndex> CMarkedViewAccessible::VisibleRows() const {
  std::vector<QModelIndex> rows;
  const QAbstractItemModel* model = view()->model();
  if (model == nullptr) return rows;
  if (const auto* tree = qobject_cast<QTreeView*>(view())) {
    for (QModelIndex i = model->index(0, 0); i.isValid(); i = tree->indexBelow(i)) {
      rows.push_back(i);
    }
  } else {
    for (int r = 0; r < model->rowCount(); ++r) rows.push_back(model->index(r, 0));
  }
  return rows;
}

int CMarkedViewAccessible::childCount() const {
  if (view() == nullptr) return 0;
  return (static_cast<int>(VisibleRows().size()) + 1) * ColumnsPerRow();
}

int CMarkedViewAccessible::ChildNumber(int visualRow, int column) const {
  return (visualRow + 1) * ColumnsPerRow() + column + (HasRowHeader() ? 1 : 0);
}

QAccessibleInterface* CMarkedViewAccessible::child(int index) const {
  const int perRow = ColumnsPerRow();
  if (view() == nullptr || index < 0 || perRow == 0 || index >= childCount()) return nullptr;
  const int visualRow = index / perRow - 1;
  const int column = index % perRow - (HasRowHeader() ? 1 : 0);
  if (visualRow < 0 || column < 0) return Cached(visualRow, column, {});
  const QModelIndex first = VisibleRows()[static_cast<std::size_t>(visualRow)];
  return Cached(visualRow, column, first.sibling(first.row(), column));
}

QAccessibleInterface* CMarkedViewAccessible::Cached(int visualRow, int column,
                                                    const QModelIndex& index) const {
  // Interfaces of rows that are gone (a directory read afresh, a collapsed branch) go too.
  for (auto it = cache_.begin(); it != cache_.end();) {
    if (!it->header && !it->index.isValid()) {
      QAccessible::deleteAccessibleInterface(it->id);
      it = cache_.erase(it);
    } else {
      ++it;
    }
  }
  const bool header = !index.isValid();
  for (const Entry& entry : cache_) {
    if (header ? entry.header && entry.visualRow == visualRow && entry.column == column
               : !entry.header && entry.index == index) {
      return QAccessible::accessibleInterface(entry.id);
    }
  }
  auto* cell = header ? new CMarkedCellAccessible(this, QModelIndex(), column)
                      : CMarkedCellAccessible::Cell(this, index);
  const QAccessible::Id id = QAccessible::registerAccessibleInterface(cell);
  cache_.push_back({index, header, visualRow, column, id});
  return cell;
}

int CMarkedViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
  const auto* cell = dynamic_cast<const CMarkedCellAccessible*>(child);
  if (cell == nullptr || cell->parent() != this) return -1;
  if (!cell->index().isValid()) return ChildNumber(-1, cell->column());
  const std::vector<QModelIndex> rows = VisibleRows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].row() == cell->index().row() && rows[r].parent() == cell->index().parent()) {
      return ChildNumber(static_cast<int>(r), cell->index().column());
    }
  }
  return -1;
}

QAccessibleInterface* CMarkedViewAccessible::childAt(int x, int y) const {
  QAbstractItemView* v = view();
  if (v == nullptr) return nullptr;
  const QModelIndex index = v->indexAt(v->viewport()->mapFromGlobal(QPoint(x, y)));
  if (!index.isValid()) return nullptr;
  const std::vector<QModelIndex> rows = VisibleRows();
  for (std::size_t r = 0; r < rows.size(); ++r) {
    if (rows[r].row() == index.row() && rows[r].parent() == index.parent()) {
      return child(ChildNumber(static_cast<int>(r), index.column()));
    }
  }
  return nullptr;
}

}  // namespace arkvale
