#include "tests/client/selection/ViewsFixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/Drives.h"
#include "tests/support/GuiTest.h"

namespace fs = std::filesystem;

namespace arkvale::test {

void ViewsFixture::SetUp() {
  GuiApplication();
  for (const char* file :
       {"rootfile.txt", "data/a.txt", "data/b.txt", "data/sub/c.txt", "data/sub/deep/d.txt",
        "pair/p.txt", "pair/q.txt", "nofiles/only/x.txt"}) {
    TempWorld::WriteHostFile(HostC(file), "content");
  }
  fs::create_directories(HostC("empty"));
}

void ViewsFixture::MakeViews() {
  files = std::make_unique<CFileView>(selection);
  tree = std::make_unique<CDriveView>(selection, prompt);
}

std::string ViewsFixture::HostC(const std::string& relative) const {
  return world.driveC() + "/" + relative;
}

void ViewsFixture::AddDrive(char letter, const std::string& target, const std::string& kind) {
  std::string entry = plat::DosDevicesDir() + "/" + std::string(1, letter) + ":";
  fs::create_directory_symlink(target, entry);
  if (!kind.empty()) std::ofstream(entry + ".type") << kind << "\n";
}

namespace {

QTreeWidgetItem* Find(const CDriveView& view, QTreeWidgetItem* item, const std::string& path) {
  if (view.ItemPath(item) == path) return item;
  for (int i = 0; i < item->childCount(); ++i) {
    if (auto* found = Find(view, item->child(i), path)) return found;
  }
  return nullptr;
}

}  // namespace

QTreeWidgetItem* ViewsFixture::Item(const std::string& path) const {
  for (int i = 0; i < tree->topLevelItemCount(); ++i) {
    if (auto* found = Find(*tree, tree->topLevelItem(i), path)) return found;
  }
  ADD_FAILURE() << "no tree item " << path;
  return nullptr;
}

QTreeWidgetItem* ViewsFixture::Expand(const std::string& path) {
  QTreeWidgetItem* item = Item(path);
  if (item != nullptr) tree->expandItem(item);
  return item;
}

void ViewsFixture::Select(const std::string& path) {
  if (QTreeWidgetItem* item = Item(path)) tree->setCurrentItem(item);
}

void ViewsFixture::ToggleBox(const std::string& path) {
  QTreeWidgetItem* item = Item(path);
  if (item == nullptr) return;
  tree->setCurrentItem(item);
  item->setCheckState(0, CDriveView::IsTicked(item) ? Qt::Unchecked : Qt::Checked);
}

int ViewsFixture::Row(const std::string& name) const {
  const FileListModel& rows = files->Rows();
  for (int row = 0; row < rows.RowCount(); ++row) {
    if (rows.Row(row).name == name) return row;
  }
  ADD_FAILURE() << "no file list row " << name;
  return -1;
}

std::vector<std::string> ViewsFixture::ChildTexts(const std::string& path) const {
  std::vector<std::string> texts;
  if (QTreeWidgetItem* item = Item(path)) {
    for (int i = 0; i < item->childCount(); ++i) {
      texts.push_back(item->child(i)->text(0).toStdString());
    }
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

std::vector<std::string> ViewsFixture::ChosenDirectories() const {
  std::vector<std::string> paths;
  for (const auto& d : selection.chosenDirectories) paths.push_back(d.path);
  return paths;
}

std::vector<std::string> ViewsFixture::ChosenFiles() const {
  std::vector<std::string> paths;
  for (const auto& f : selection.chosenFiles) paths.push_back(f.fullPath);
  return paths;
}

}  // namespace arkvale::test
