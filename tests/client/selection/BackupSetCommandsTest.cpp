#include <gtest/gtest.h>

#include <QFileDialog>
#include <filesystem>

#include "client/selection/BackupSetCommands.h"
#include "platform/Drives.h"
#include "tests/client/selection/ViewsFixture.h"
#include "tests/support/GuiTest.h"

namespace fs = std::filesystem;

namespace arkvale {
namespace {

using Strings = std::vector<std::string>;

class BackupSetCommandsTest : public test::ViewsFixture {
 protected:
  void MakeCommands() {
    commands = std::make_unique<CBackupSetCommands>(
        selection, *tree, prompt,
        [this](int level, const std::string& text) { logged.emplace_back(level, text); }, nullptr);
    commands->SetFileChooser([this](const BackupSetDialogSetup& setup) {
      dialogs.push_back(setup);
      return answer;
    });
  }
  void TearDown() override { commands.reset(); }

  std::unique_ptr<CBackupSetCommands> commands;
  std::vector<BackupSetDialogSetup> dialogs;
  std::optional<std::string> answer;
  std::vector<std::pair<int, std::string>> logged;
};

TEST_F(BackupSetCommandsTest, SavingNothingSaysSoAndOpensNoDialog) {
  MakeViews();
  MakeCommands();
  commands->SaveBackupSet();
  EXPECT_EQ(prompt.texts(), (Strings{"No files or directories chosen for backup"}));
  EXPECT_TRUE(dialogs.empty());
}

TEST_F(BackupSetCommandsTest, SaveThenLoadShowsTheSameTicksAfterReexpansion) {
  fs::create_directories(HostC("sets"));
  MakeViews();
  MakeCommands();
  Expand("C:\\data");
  ToggleBox("C:\\data\\sub");
  Select("C:\\pair");
  files->ClickRow(Row("p.txt"));

  answer = HostC("sets/mine.bak");
  commands->SaveBackupSet();
  ASSERT_EQ(dialogs.size(), 1u);
  EXPECT_EQ(dialogs[0].title, "Save a backup file list");
  EXPECT_TRUE(dialogs[0].forSaving);
  EXPECT_EQ(test::TempWorld::ReadHostFile(HostC("sets/mine.bak")),
            "2\nC:\\data\\sub\\deep\nC:\\data\\sub\n1\nC:\\pair\\p.txt\n");

  ToggleBox("C:\\data\\sub");
  Select("C:\\pair");
  files->ClickRow(Row("p.txt"));
  ASSERT_TRUE(selection.NothingChosen());

  commands->LoadBackupSet();
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1].title, "Load a backup file list");
  EXPECT_FALSE(dialogs[1].forSaving);
  EXPECT_TRUE(prompt.texts().empty());
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\data\\sub\\deep", "C:\\data\\sub"}));
  ASSERT_EQ(selection.chosenFiles.size(), 1u);
  EXPECT_EQ(selection.chosenFiles[0].fullPath, "C:\\pair\\p.txt");
  EXPECT_EQ(selection.chosenFiles[0].directory, "C:\\pair\\");
  // The views show the loaded choices lazily: the file list when it shows a directory again.
  EXPECT_FALSE(files->Rows().IsTicked(Row("p.txt")));
  Select("C:\\data");
  Select("C:\\pair");
  EXPECT_TRUE(files->Rows().IsTicked(Row("p.txt")));

  tree->collapseItem(Item("C:\\"));
  Expand("C:\\");
  Expand("C:\\data");
  EXPECT_TRUE(CDriveView::IsTicked(Item("C:\\data\\sub")));
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\data\\sub")), (ItemImages{11, 14}));
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\data")), (ItemImages{10, 13}));
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\pair")), (ItemImages{10, 13}));
  EXPECT_FALSE(CDriveView::IsTicked(Item("C:\\pair")));
}

TEST_F(BackupSetCommandsTest, LoadingResetsTheTreeAndCollapsesAllButTheFirstDrive) {
  fs::create_directories(HostC("media/stick/folder"));
  AddDrive('e', HostC("media/stick"), "removable");
  test::TempWorld::WriteHostFile(HostC("empty.bak"), "0\n0\n");
  MakeViews();
  MakeCommands();
  Expand("C:\\data");
  ToggleBox("C:\\data");
  Expand("E:\\");
  ToggleBox("E:\\folder");

  answer = HostC("empty.bak");
  commands->LoadBackupSet();
  EXPECT_TRUE(selection.NothingChosen());
  EXPECT_FALSE(CDriveView::IsTicked(Item("C:\\data")));
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\data")), (ItemImages{9, 12}));
  EXPECT_EQ(CDriveView::ImagesOf(Item("C:\\data\\sub")), (ItemImages{9, 12}));
  EXPECT_TRUE(Item("C:\\")->isExpanded());
  EXPECT_FALSE(Item("E:\\")->isExpanded());
  EXPECT_EQ(ChildTexts("E:\\"), (Strings{""}));
  EXPECT_EQ(CDriveView::ImagesOf(Item("E:\\")), (ItemImages{3, 3}));
}

TEST_F(BackupSetCommandsTest, ASetEndingAfterItsDirectoriesStopsTheLoad) {
  test::TempWorld::WriteHostFile(HostC("short.bak"), "1\nC:\\pair\n");
  MakeViews();
  MakeCommands();
  Expand("C:\\data");
  ToggleBox("C:\\data");
  ASSERT_TRUE(prompt.texts().empty());

  answer = HostC("short.bak");
  commands->LoadBackupSet();
  EXPECT_EQ(prompt.texts(), (Strings{"Error reading number of files"}));
  EXPECT_EQ(prompt.boxes()[0].caption, "arkvale");
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
  EXPECT_FALSE(CDriveView::IsTicked(Item("C:\\data")));
}

TEST_F(BackupSetCommandsTest, ASetThatCannotBeOpenedLeavesTheSelection) {
  MakeViews();
  MakeCommands();
  ToggleBox("C:\\pair");
  answer = HostC("missing.bak");
  commands->LoadBackupSet();
  EXPECT_EQ(prompt.texts(), (Strings{"Error opening C:\\missing.bak for reading"}));
  EXPECT_EQ(prompt.boxes()[0].caption, "Arkvale");
  EXPECT_EQ(prompt.boxes()[0].icon, Icon::Error);
  EXPECT_EQ(
      logged,
      (std::vector<std::pair<int, std::string>>{{2, "Error opening C:\\missing.bak for reading"}}));
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
  EXPECT_TRUE(CDriveView::IsTicked(Item("C:\\pair")));

  answer = HostC("no/such/dir/set.bak");
  commands->SaveBackupSet();
  EXPECT_EQ(prompt.texts().back(), "Error opening C:\\no\\such\\dir\\set.bak for writing");
}

TEST_F(BackupSetCommandsTest, CancellingADialogDoesNothing) {
  MakeViews();
  MakeCommands();
  ToggleBox("C:\\pair");
  commands->SaveBackupSet();
  commands->LoadBackupSet();
  EXPECT_EQ(dialogs.size(), 2u);
  EXPECT_TRUE(prompt.texts().empty());
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair"}));
}

TEST_F(BackupSetCommandsTest, ATreeWithoutDrivesSaysSoAndLoadsAllTheSame) {
  fs::remove(plat::DosDevicesDir() + "/c:");
  fs::remove(plat::DosDevicesDir() + "/z:");
  // A drive whose directory is missing at start is not shown.
  AddDrive('q', world.root() + "/later", "");
  MakeViews();
  MakeCommands();
  EXPECT_EQ(tree->topLevelItemCount(), 0);

  test::TempWorld::WriteHostFile(world.root() + "/later/set.bak", "1\nQ:\\x\n0\n");
  answer = world.root() + "/later/set.bak";
  commands->LoadBackupSet();
  EXPECT_EQ(prompt.texts(), (Strings{"GetRootItem FAILED", "GetRootItem FAILED"}));
  EXPECT_EQ(prompt.boxes()[0].caption, "arkvale");
  EXPECT_EQ(ChosenDirectories(), (Strings{"Q:\\x"}));
}

TEST(BackupSetDialogTest, TitlesFilterAndDefaultExtension) {
  test::GuiApplication();
  auto save = MakeBackupSetDialog({"Save a backup file list", true}, nullptr);
  EXPECT_EQ(save->windowTitle(), "Save a backup file list");
  EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
  EXPECT_EQ(save->defaultSuffix(), "bak");
  EXPECT_EQ(save->nameFilters(), (QStringList{"Backup file lists (*.bak)", "All Files (*)"}));
  EXPECT_FALSE(save->testOption(QFileDialog::DontConfirmOverwrite));

  auto load = MakeBackupSetDialog({"Load a backup file list", false}, nullptr);
  EXPECT_EQ(load->windowTitle(), "Load a backup file list");
  EXPECT_EQ(load->acceptMode(), QFileDialog::AcceptOpen);
  EXPECT_EQ(load->defaultSuffix(), "bak");
}

}  // namespace
}  // namespace arkvale
