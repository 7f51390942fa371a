#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <filesystem>

#include "client/selection/DriveView.h"
#include "client/selection/TreeImages.h"
#include "tests/client/selection/ViewsFixture.h"
#include "tests/support/FileAccessOverride.h"
#include "tests/support/GuiTest.h"

namespace fs = std::filesystem;

namespace arkvale {
namespace {

using Strings = std::vector<std::string>;

constexpr ItemImages kFolder{9, 12};
constexpr ItemImages kFolderPartly{10, 13};
constexpr ItemImages kFolderWholly{11, 14};

constexpr const char* kRootNotice =
    "You have checked a root directory and it will take a while until all subdirectories are "
    "included in the backup list.  Please be patient";

class DriveViewTest : public test::ViewsFixture {
 protected:
  ItemImages Images(const std::string& path) { return CDriveView::ImagesOf(Item(path)); }
  bool Ticked(const std::string& path) { return CDriveView::IsTicked(Item(path)); }
};

TEST_F(DriveViewTest, DrivesInLetterOrderWithTheFirstFixedDriveOpen) {
  fs::create_directories(HostC("media/stick"));
  fs::create_directories(HostC("media/disc"));
  AddDrive('f', HostC("media/disc"), "cdrom");
  AddDrive('e', HostC("media/stick"), "removable");
  AddDrive('q', HostC("media/gone"), "");  // no root directory: not shown
  MakeViews();

  ASSERT_EQ(tree->topLevelItemCount(), 4);
  Strings texts;
  for (int i = 0; i < 4; ++i) texts.push_back(tree->topLevelItem(i)->text(0).toStdString());
  EXPECT_EQ(texts, (Strings{"C:\\", "E:\\", "F:\\", "Z:\\"}));
  EXPECT_EQ(Images("C:\\"), (ItemImages{0, 0}));
  EXPECT_EQ(Images("E:\\"), (ItemImages{3, 3}));
  EXPECT_EQ(Images("F:\\"), (ItemImages{6, 6}));
  EXPECT_EQ(Images("Z:\\"), (ItemImages{0, 0}));
  // Removable and CD drives are not read: one placeholder each, even though the stick has no
  // subdirectory.
  for (const char* drive : {"E:\\", "F:\\"}) {
    ASSERT_EQ(Item(drive)->childCount(), 1);
    EXPECT_EQ(Item(drive)->child(0)->text(0), "");
  }
  EXPECT_EQ(tree->CurrentItem(), Item("C:\\"));
  EXPECT_TRUE(Item("C:\\")->isExpanded());
  EXPECT_EQ(selection.currentDirectory, "C:\\");
  EXPECT_EQ(ChildTexts("C:\\"), (Strings{"data", "empty", "media", "nofiles", "pair"}));
  // The file list shows C:\ already.
  ASSERT_EQ(files->Rows().RowCount(), 1);
  EXPECT_EQ(files->Rows().Row(0).name, "rootfile.txt");
}

TEST_F(DriveViewTest, ExpandingReadsOneLevelAndCollapsingDiscardsIt) {
  MakeViews();
  EXPECT_EQ(Item("C:\\empty")->childCount(), 0);  // no expand button
  EXPECT_EQ(ChildTexts("C:\\data"), (Strings{""}));
  EXPECT_EQ(Images("C:\\data"), kFolder);

  Expand("C:\\data");
  EXPECT_EQ(ChildTexts("C:\\data"), (Strings{"sub"}));
  EXPECT_EQ(ChildTexts("C:\\data\\sub"), (Strings{""}));
  Expand("C:\\data\\sub");
  EXPECT_EQ(ChildTexts("C:\\data\\sub"), (Strings{"deep"}));
  EXPECT_EQ(tree->ItemPath(Item("C:\\data\\sub\\deep")), "C:\\data\\sub\\deep");

  // The selection inside a collapsed item moves up to it.
  Select("C:\\data\\sub\\deep");
  EXPECT_EQ(selection.currentDirectory, "C:\\data\\sub\\deep");
  tree->collapseItem(Item("C:\\data"));
  EXPECT_EQ(ChildTexts("C:\\data"), (Strings{""}));
  EXPECT_EQ(tree->CurrentItem(), Item("C:\\data"));
  EXPECT_EQ(selection.currentDirectory, "C:\\data");

  tree->collapseItem(Item("C:\\"));
  ASSERT_EQ(Item("C:\\")->childCount(), 1);
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\")->child(0)), (ItemImages{9, 9}));
  Expand("C:\\");
  EXPECT_EQ(ChildTexts("C:\\"), (Strings{"data", "empty", "nofiles", "pair"}));
}

TEST_F(DriveViewTest, UnreadableRootKeepsItsExpandButton) {
  fs::create_directories(HostC("media/stick/folder"));
  AddDrive('e', HostC("media/stick"), "removable");
  MakeViews();
  fs::remove_all(HostC("media/stick"));  // the medium is taken out

  QTreeWidgetItem* stick = Expand("E:\\");
  EXPECT_FALSE(stick->isExpanded());
  ASSERT_EQ(stick->childCount(), 1);
  EXPECT_EQ(stick->child(0)->text(0), "");
  EXPECT_EQ(CDriveView::ImagesOf(stick->child(0)), (ItemImages{9, 12}));

  fs::create_directories(HostC("media/stick/folder"));  // and put back in
  Expand("E:\\");
  EXPECT_TRUE(stick->isExpanded());
  EXPECT_EQ(ChildTexts("E:\\"), (Strings{"folder"}));
}

TEST_F(DriveViewTest, UnreadableDirectoryRefusesToExpand) {
  MakeViews();
  Expand("C:\\data");
  fs::permissions(HostC("data/sub"), fs::perms::none);
  {
    test::WithoutFileAccessOverride plainAccess;
    Expand("C:\\data\\sub");
  }
  fs::permissions(HostC("data/sub"), fs::perms::owner_all);
  EXPECT_FALSE(Item("C:\\data\\sub")->isExpanded());
  EXPECT_EQ(Item("C:\\data\\sub")->childCount(), 0);
}

TEST_F(DriveViewTest, TickingARootShowsTheNoticeFirst) {
  MakeViews();
  ToggleBox("C:\\data");
  EXPECT_TRUE(prompt.texts().empty());
  ToggleBox("C:\\");
  ASSERT_EQ(prompt.boxes().size(), 1u);
  EXPECT_EQ(prompt.boxes()[0].text, kRootNotice);
  EXPECT_EQ(prompt.boxes()[0].caption, "arkvale");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::None);
  EXPECT_TRUE(Ticked("C:\\"));
  EXPECT_EQ(Images("C:\\"), (ItemImages{2, 2}));
  EXPECT_TRUE(selection.IsDirectoryChosen("C:\\"));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(DriveViewTest, TickingMarksEveryExpandedItemBelowAndReexpansionShowsThem) {
  MakeViews();
  Expand("C:\\data");
  Expand("C:\\data\\sub");
  ToggleBox("C:\\data");

  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\data\\sub\\deep", "C:\\data\\sub", "C:\\data"}));
  for (const char* path : {"C:\\data", "C:\\data\\sub", "C:\\data\\sub\\deep"}) {
    EXPECT_TRUE(Ticked(path)) << path;
    EXPECT_EQ(Images(path), kFolderWholly) << path;
  }
  EXPECT_EQ(Images("C:\\"), (ItemImages{1, 1}));  // hatched drive
  EXPECT_FALSE(Ticked("C:\\"));
  EXPECT_EQ(selection.currentDirectory, "C:\\data");
  ASSERT_EQ(files->Rows().RowCount(), 2);
  EXPECT_TRUE(files->Rows().IsTicked(0));
  EXPECT_TRUE(files->Rows().IsTicked(1));

  tree->collapseItem(Item("C:\\data"));
  Expand("C:\\data");
  EXPECT_TRUE(Ticked("C:\\data\\sub"));
  EXPECT_EQ(Images("C:\\data\\sub"), kFolderWholly);

  // Clearing it again leaves nothing chosen and nothing marked.
  ToggleBox("C:\\data");
  EXPECT_TRUE(selection.chosenDirectories.empty());
  EXPECT_FALSE(Ticked("C:\\data"));
  EXPECT_EQ(Images("C:\\data"), kFolder);
  EXPECT_EQ(Images("C:\\data\\sub"), kFolder);
  EXPECT_EQ(Images("C:\\"), (ItemImages{0, 0}));
}

TEST_F(DriveViewTest, TickingLeavesALinkBelowAlone) {
  fs::create_directory_symlink(HostC("pair"), HostC("data/link"));
  MakeViews();
  Expand("C:\\data");
  Expand("C:\\data\\link");
  ToggleBox("C:\\data");
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\data\\sub\\deep", "C:\\data\\sub", "C:\\data"}));
  EXPECT_TRUE(Ticked("C:\\data\\sub"));
  EXPECT_FALSE(Ticked("C:\\data\\link"));
  EXPECT_EQ(Images("C:\\data\\link"), kFolder);

  // The link itself can be ticked.
  ToggleBox("C:\\data\\link");
  EXPECT_TRUE(selection.IsDirectoryChosen("C:\\data\\link"));
  EXPECT_TRUE(Ticked("C:\\data\\link"));
}

TEST_F(DriveViewTest, UntickingOneFileSplitsATickedDirectory) {
  MakeViews();
  Expand("C:\\data");
  ToggleBox("C:\\data");
  files->ClickRow(Row("a.txt"));

  EXPECT_FALSE(selection.IsDirectoryChosen("C:\\data"));
  EXPECT_TRUE(selection.IsDirectoryChosen("C:\\data\\sub"));
  EXPECT_EQ(ChosenFiles(), (Strings{"C:\\data\\b.txt"}));
  EXPECT_FALSE(Ticked("C:\\data"));
  EXPECT_EQ(Images("C:\\data"), kFolderPartly);
  EXPECT_EQ(Images("C:\\"), (ItemImages{1, 1}));
  EXPECT_FALSE(files->Rows().IsTicked(Row("a.txt")));
  EXPECT_TRUE(files->Rows().IsTicked(Row("b.txt")));
}

TEST_F(DriveViewTest, FilesChosenOneByOneMakeTheDirectorySolidWithItsBoxClear) {
  MakeViews();
  Select("C:\\pair");
  files->ClickRow(Row("p.txt"));
  EXPECT_EQ(Images("C:\\pair"), kFolderPartly);
  files->ClickRow(Row("q.txt"));
  EXPECT_EQ(Images("C:\\pair"), kFolderWholly);
  EXPECT_FALSE(Ticked("C:\\pair"));
  EXPECT_EQ(Images("C:\\"), (ItemImages{1, 1}));

  // Collapsing and expanding reads the same from the disk.
  tree->collapseItem(Item("C:\\"));
  Expand("C:\\");
  EXPECT_EQ(Images("C:\\pair"), kFolderWholly);
  EXPECT_FALSE(Ticked("C:\\pair"));

  Select("C:\\pair");
  files->ClickRow(Row("p.txt"));
  files->ClickRow(Row("q.txt"));  // the last ticked row
  EXPECT_EQ(Images("C:\\pair"), kFolder);
  EXPECT_EQ(Images("C:\\"), (ItemImages{0, 0}));
}

TEST_F(DriveViewTest, ADirectoryWithOnlyATickedSubdirectoryIsHatched) {
  MakeViews();
  Expand("C:\\nofiles");
  ToggleBox("C:\\nofiles\\only");
  EXPECT_EQ(Images("C:\\nofiles\\only"), kFolderWholly);
  EXPECT_EQ(Images("C:\\nofiles"), kFolderPartly);
  tree->collapseItem(Item("C:\\"));
  Expand("C:\\");
  EXPECT_EQ(Images("C:\\nofiles"), kFolderPartly);
}

TEST_F(DriveViewTest, ABoxToggledWithTheKeyboardActsAsAClick) {
  MakeViews();
  tree->show();
  Select("C:\\pair");
  QTest::keyClick(tree.get(), Qt::Key_Space);
  EXPECT_TRUE(Ticked("C:\\pair"));
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
  QTest::keyClick(tree.get(), Qt::Key_Space);
  EXPECT_FALSE(Ticked("C:\\pair"));
  EXPECT_TRUE(selection.chosenDirectories.empty());
}

TEST_F(DriveViewTest, AMouseClickOnTheBoxTicksTheDirectory) {
  MakeViews();
  tree->resize(300, 400);
  tree->show();
  QRect row = tree->visualItemRect(Item("C:\\pair"));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(row.left() + 8, row.center().y()));
  EXPECT_TRUE(Ticked("C:\\pair"));
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
  EXPECT_EQ(selection.currentDirectory, "C:\\pair");
  // A click on the name only selects.
  QRect other = tree->visualItemRect(Item("C:\\data"));
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                    QPoint(other.left() + 60, other.center().y()));
  EXPECT_FALSE(Ticked("C:\\data"));
  EXPECT_EQ(selection.currentDirectory, "C:\\data");
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
}

TEST_F(DriveViewTest, AClickOnEmptySpaceKeepsTheSelection) {
  MakeViews();
  tree->resize(300, 600);
  tree->show();
  Select("C:\\pair");
  QTest::mouseClick(tree->viewport(), Qt::LeftButton, {},
                    QPoint(150, tree->viewport()->height() - 5));
  EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{Item("C:\\pair")});
  EXPECT_EQ(selection.currentDirectory, "C:\\pair");
}

TEST_F(DriveViewTest, LinesJoinEachItemToItsSiblings) {
  MakeViews();
  tree->resize(300, 600);
  tree->show();
  const QImage shot = tree->viewport()->grab().toImage();
  // The branch column of C:\data runs on to its next sibling, through the row's lower part.
  const QRect row = tree->visualItemRect(Item("C:\\data"));
  const int x = row.left() - tree->indentation() / 2;
  int drawn = 0;
  for (int y = row.center().y() + 6; y <= row.bottom(); ++y) {
    if (shot.pixelColor(x, y) != tree->palette().color(QPalette::Base)) ++drawn;
  }
  EXPECT_GT(drawn, 0);
}

TEST_F(DriveViewTest, ADirectoryNamedInBytesThatAreNotUtf8IsShownAndChosenByItsOwnName) {
  const std::string path = "C:\\caf\xe9";
  test::TempWorld::WriteHostFile(HostC("caf\xe9/menu.txt"), "content");
  MakeViews();
  Select(path);
  EXPECT_EQ(selection.currentDirectory, path);
  EXPECT_EQ(files->Rows().RowCount(), 1);
  ToggleBox(path);
  EXPECT_EQ(ChosenDirectories(), Strings{path});
  EXPECT_EQ(Images(path), kFolderWholly);
}

TEST(TreeImagesTest, FifteenPicturesThatTellTheMarksApart) {
  test::GuiApplication();
  QList<QPixmap> images = DrawTreeImages();
  ASSERT_EQ(images.size(), kImageCount);
  for (const QPixmap& image : images) EXPECT_EQ(image.size(), QSize(16, 16));
  for (int kind = 0; kind < 5; ++kind) {
    QImage plain = images[3 * kind].toImage();
    QImage hatched = images[3 * kind + 1].toImage();
    QImage solid = images[3 * kind + 2].toImage();
    EXPECT_NE(plain, hatched) << kind;
    EXPECT_NE(hatched, solid) << kind;
    EXPECT_NE(plain, solid) << kind;
  }
  EXPECT_NE(images[0].toImage(), images[3].toImage());
  EXPECT_NE(images[9].toImage(), images[12].toImage());
}

TEST_F(DriveViewTest, TicksTenThousandDirectoriesAtOnce) {
  for (int i = 0; i < 100; ++i) {
    for (int j = 0; j < 100; ++j) {
      fs::create_directories(HostC("big/d" + std::to_string(i) + "/e" + std::to_string(j)));
    }
  }
  MakeViews();
  Expand("C:\\big");
  ToggleBox("C:\\big");
  EXPECT_EQ(selection.chosenDirectories.size(), 10101u);
  EXPECT_EQ(Images("C:\\big\\d7"), kFolderWholly);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace arkvale
