#include "client/selection/DriveView.h"

#include <QHeaderView>

#include "client/selection/MarkAccessible.h"
#include "client/selection/Selection.h"
#include "client/selection/SelectionPaths.h"
#include "client/selection/TreeImages.h"
#include "client/selection/WaitCursor.h"
#include "client/settings/Prompt.h"
#include "platform/DirectorySearch.h"
#include "platform/Drives.h"
#include "platform/WindowsNames.h"

namespace arkvale {

namespace {

constexpr const char* kRootNotice =
    "You have checked a root directory and it will take a while until all subdirectories are "
    "included in the backup list.  Please be patient";

// A change the view makes to its own items, as opposed to one the user makes.
class Quiet {
 public:
  explicit Quiet(int& depth) : depth_(depth) { ++depth_; }
  ~Quiet() { --depth_; }
  Quiet(const Quiet&) = delete;
  Quiet& operator=(const Quiet&) = delete;

 private:
  int& depth_;
};

bool IsSubdirectory(const plat::FindData& entry) {
  return (entry.attributes & plat::kFileAttributeDirectory) && entry.name != "." &&
         entry.name != "..";
}

ItemImages DriveImages(ItemKind kind) {
  int image = ImageOf(kind, kMarkNone);
  return {image, image};
}

}  // namespace

CDriveView::CDriveView(CSelection& selection, Prompt& prompt, QWidget* parent)
    : QTreeWidget(parent), selection(selection), prompt(prompt), imageList(DrawTreeImages()) {
  setObjectName("driveView");
  setAccessibleName("Drives and directories");
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  setUniformRowHeights(true);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  connect(this, &QTreeWidget::itemExpanded, this, &CDriveView::OnItemExpanded);
  connect(this, &QTreeWidget::itemCollapsed, this, &CDriveView::OnItemCollapsed);
  connect(this, &QTreeWidget::currentItemChanged, this, &CDriveView::OnCurrentItemChanged);
  connect(this, &QTreeWidget::itemChanged, this, &CDriveView::OnItemChanged);
  selection.AddObserver(this);
  InstallMarkAccessibility();
  FillDrives();
}

CDriveView::~CDriveView() {
  selection.RemoveObserver(this);
  // Tearing the items down is not a change of the selection.
  ++quiet;
  disconnect(this, nullptr, this, nullptr);
}

int CDriveView::FillDrives() {
  const uint32_t drives = plat::GetLogicalDrives();
  bool firstFixedDrive = true;
  int shown = 0;
  for (int bit = 0; bit < 26; ++bit) {
    if (!(drives & (uint32_t{1} << bit))) continue;
    std::string root = "?:\\";
    root[0] = static_cast<char>('A' + bit);
    QTreeWidgetItem* item = nullptr;
    switch (plat::GetDriveType(root)) {
      case plat::kDriveRemovable:
        // Never read a medium before the user asks for it.
        item = AddItem(nullptr, root, DriveImages(ItemKind::Removable));
        AddPlaceholder(item, kFolderImage);
        break;
      case plat::kDriveCdrom:
        item = AddItem(nullptr, root, DriveImages(ItemKind::CdDrive));
        AddPlaceholder(item, kFolderImage);
        break;
      case plat::kDriveFixed:
        item = AddItem(nullptr, root, DriveImages(ItemKind::HardDrive));
        ProbeSubdirectories(item, root);
        if (firstFixedDrive) {
          firstFixedDrive = false;
          setCurrentItem(item);
          expandItem(item);
        }
        break;
      case plat::kDriveRemote:
      case plat::kDriveRamdisk:
        item = AddItem(nullptr, root, DriveImages(ItemKind::HardDrive));
        ProbeSubdirectories(item, root);
        break;
      default:
        break;
    }
    if (item != nullptr) ++shown;
  }
  return shown;
}

QTreeWidgetItem* CDriveView::AddItem(QTreeWidgetItem* parent, const std::string& text,
                                     ItemImages images) {
  Quiet q(quiet);
  auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(plat::HostNameOf(text))});
  item->setData(0, kNameRole, QByteArray::fromStdString(text));
  item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
  item->setCheckState(0, Qt::Unchecked);
  SetImages(item, images);
  if (parent == nullptr) {
    addTopLevelItem(item);
  } else {
    parent->addChild(item);
  }
  return item;
}

void CDriveView::AddPlaceholder(QTreeWidgetItem* item, int selectedImage) {
  // An empty child gives the item its expand button until the directory is read.
  AddItem(item, "", {kFolderImage, selectedImage});
}

bool CDriveView::ProbeSubdirectories(QTreeWidgetItem* item, const std::string& path) {
  auto entries = plat::ListDirectory(path);
  if (!entries) return false;
  for (const auto& entry : *entries) {
    if (IsSubdirectory(entry)) {
      AddPlaceholder(item, kFolderImage);
      return true;
    }
  }
  return false;
}

int CDriveView::PopulateChildren(QTreeWidgetItem* item, const std::string& path) {
  auto entries = plat::ListDirectory(path);
  if (!entries) {
    // A drive without a medium keeps its button, so that it can be tried again.
    if (item->parent() == nullptr) AddPlaceholder(item, kOpenFolderImage);
    return 0;
  }
  int count = 0;
  for (const auto& entry : *entries) {
    if (!IsSubdirectory(entry)) continue;
    const std::string childPath = JoinPath(path, entry.name);
    QTreeWidgetItem* child = AddItem(item, entry.name, {kFolderImage, kOpenFolderImage});
    if (entry.attributes & plat::kFileAttributeReparsePoint) {
      Quiet q(quiet);
      child->setData(0, kLinkRole, true);
    }
    if (selection.IsDirectoryChosen(childPath)) {
      SetBox(child, true);
      SetImages(child, ImagesForMark(ImagesOf(child), kMarkWholly));
    } else {
      SetImages(child, ImagesForMark(ImagesOf(child), DirectoryMarkFromDisk(childPath, selection)));
    }
    ProbeSubdirectories(child, childPath);
    ++count;
  }
  return count;
}

std::string CDriveView::ItemPath(const QTreeWidgetItem* item) const {
  if (item == nullptr) return {};
  auto nameOf = [](const QTreeWidgetItem* it) {
    return it->data(0, kNameRole).toByteArray().toStdString();
  };
  std::string path = nameOf(item);
  for (const QTreeWidgetItem* parent = item->parent(); parent != nullptr;
       parent = parent->parent()) {
    std::string text = nameOf(parent);
    if (text.empty() || text.back() != '\\') text += '\\';
    path = text + path;
  }
  return path;
}

ItemImages CDriveView::ImagesOf(const QTreeWidgetItem* item) {
  return {item->data(0, kImageRole).toInt(), item->data(0, kSelectedImageRole).toInt()};
}

bool CDriveView::IsTicked(const QTreeWidgetItem* item) {
  return item->checkState(0) == Qt::Checked;
}

const QIcon& CDriveView::IconFor(ItemImages images) {
  const int key = images.normal * kImageCount + images.selected;
  auto it = icons.find(key);
  if (it == icons.end()) {
    QIcon icon;
    if (images.normal >= 0 && images.normal < imageList.size()) {
      icon.addPixmap(imageList[images.normal], QIcon::Normal);
    }
    if (images.selected >= 0 && images.selected < imageList.size()) {
      icon.addPixmap(imageList[images.selected], QIcon::Selected);
    }
    it = icons.insert(key, icon);
  }
  return *it;
}

void CDriveView::SetImages(QTreeWidgetItem* item, ItemImages images) {
  Quiet q(quiet);
  item->setData(0, kImageRole, images.normal);
  item->setData(0, kSelectedImageRole, images.selected);
  item->setIcon(0, IconFor(images));
}

void CDriveView::SetBox(QTreeWidgetItem* item, bool ticked) {
  Quiet q(quiet);
  item->setCheckState(0, ticked ? Qt::Checked : Qt::Unchecked);
}

void CDriveView::ShowDirectory(const std::string& path) {
  selection.UpdateAllViews(this, SelectionHint::Directory(path));
}

void CDriveView::OnCurrentItemChanged(QTreeWidgetItem* current) {
  if (current == nullptr) return;
  std::string path = ItemPath(current);
  selection.currentDirectory = path;
  currentItem = current;
  ShowDirectory(path);
}

void CDriveView::OnItemExpanded(QTreeWidgetItem* item) {
  if (quiet) return;
  if (item->childCount() > 0) {
    Quiet q(quiet);
    delete item->takeChild(0);
  }
  if (PopulateChildren(item, ItemPath(item)) == 0) {
    // Nothing to show: the expansion is refused.
    Quiet q(quiet);
    item->setExpanded(false);
  }
}

void CDriveView::OnItemCollapsed(QTreeWidgetItem* item) {
  if (quiet) return;
  // The children go; a selected one hands the selection to the item first.
  for (QTreeWidgetItem* up = currentItem; up != nullptr; up = up->parent()) {
    if (up->parent() == item) {
      setCurrentItem(item);
      break;
    }
  }
  {
    Quiet q(quiet);
    qDeleteAll(item->takeChildren());
  }
  if (item->parent() == nullptr) {
    AddPlaceholder(item, kFolderImage);
  } else {
    ProbeSubdirectories(item, ItemPath(item));
  }
}

void CDriveView::OnItemChanged(QTreeWidgetItem* item, int column) {
  if (quiet || column != 0) return;
  // The user toggled the box (mouse or keyboard). Put it back and act as the click would from
  // the state before, which decides what the box and the selection end as.
  SetBox(item, !IsTicked(item));
  ClickCheckBox(item);
}

void CDriveView::ClickCheckBox(QTreeWidgetItem* item) {
  const std::string path = ItemPath(item);
  setCurrentItem(item);
  if (!IsTicked(item)) {
    if (path.size() == 3) {
      prompt.ShowMessage(kRootNotice, kApplicationTitle, Icon::None, Owner::MainWindow);
    }
    {
      CWaitCursor wait;
      MarkSubtreeChosen(item);
      selection.ChooseDirectoryTree(path);
    }
    ApplyMark(kMarkWholly);
    SetBox(item, true);
    selection.UpdateAllViews(this, SelectionHint::Directory(path));
  } else {
    ClearSubtree(item);
    selection.UnchooseDirectoryTree(path);
    selection.UpdateAllViews(this, SelectionHint::Directory(path));
    // The file list now shows path: its boxes give the directory's own mark.
    int mark = kMarkNone;
    if (auto own = CountOwnFiles(path, selection)) {
      int ticked = selection.IsDirectoryChosen(path) ? own->total : own->matched;
      mark = MarkFromTicks(own->total, ticked);
    }
    if (mark == kMarkNone && AnythingChosenUnder(path, selection)) mark = kMarkPartly;
    ApplyMark(mark);
    SetBox(item, false);
  }
}

void CDriveView::MarkSubtreeChosen(QTreeWidgetItem* item) {
  SetImages(item, ImagesForMark(ImagesOf(item), kMarkWholly));
  SetBox(item, true);
  for (int i = 0; i < item->childCount(); ++i) {
    QTreeWidgetItem* child = item->child(i);
    if (!child->data(0, kLinkRole).toBool()) MarkSubtreeChosen(child);
  }
}

void CDriveView::ClearSubtree(QTreeWidgetItem* item) {
  SetImages(item, ImagesForMark(ImagesOf(item), kMarkNone));
  SetBox(item, false);
  for (int i = 0; i < item->childCount(); ++i) ClearSubtree(item->child(i));
}

void CDriveView::ApplyMark(int mark) {
  QTreeWidgetItem* item = currentItem;
  if (item == nullptr) return;
  if (mark == kMarkWholly) {
    SetImages(item, ImagesForMark(ImagesOf(item), kMarkWholly));
  } else {
    SetBox(item, false);
    if (mark == kMarkNone && AnythingChosenUnder(ItemPath(item), selection)) mark = kMarkPartly;
    SetImages(item, ImagesForMark(ImagesOf(item), mark));
  }
  UpdateAncestorMarks();
}

void CDriveView::UpdateAncestorMarks() {
  if (currentItem == nullptr) return;
  for (QTreeWidgetItem* ancestor = currentItem->parent(); ancestor != nullptr;
       ancestor = ancestor->parent()) {
    AncestorState state{ItemPath(ancestor), ImagesOf(ancestor), IsTicked(ancestor), {}};
    for (int i = 0; i < ancestor->childCount(); ++i) {
      state.children.push_back(ImagesOf(ancestor->child(i)));
    }
    auto mark = AncestorMark(state, selection);
    if (!mark) return;
    SetImages(ancestor, ImagesForMark(state.images, *mark));
  }
}

void CDriveView::OnSelectionUpdate(const SelectionHint& hint) {
  switch (hint.kind) {
    case SelectionHint::Kind::Refresh:
      ApplyMark(kMarkNone);
      break;
    case SelectionHint::Kind::Mark:
      ApplyMark(hint.mark);
      break;
    case SelectionHint::Kind::Directory:
      UpdateAncestorMarks();
      break;
  }
}

bool CDriveView::ResetMarks() {
  if (topLevelItemCount() == 0) return false;
  for (int i = 0; i < topLevelItemCount(); ++i) ClearSubtree(topLevelItem(i));
  return true;
}

bool CDriveView::CollapseAllButFirst() {
  if (topLevelItemCount() == 0) return false;
  // Collapsing discards the children; they are read and marked afresh on the next expansion.
  for (int i = 1; i < topLevelItemCount(); ++i) collapseItem(topLevelItem(i));
  return true;
}

}  // namespace arkvale
