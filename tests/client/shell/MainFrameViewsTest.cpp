#include <gtest/gtest.h>

#include <QAction>
#include <QSplitter>

#include "client/resources/ResourceIds.h"
#include "client/selection/DriveView.h"
#include "client/selection/FileView.h"
#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

TEST(MainFrameViewsTest, TheSplitterHoldsTheTreeBesideTheFileList) {
  test::ShellWorld w;
  test::TempWorld::WriteHostFile(w.world.driveC() + "/data/a.txt", "a");
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);

  ASSERT_EQ(frame.splitter()->count(), 2);
  EXPECT_EQ(frame.splitter()->widget(0), frame.driveView());
  EXPECT_EQ(frame.splitter()->widget(1), frame.fileView());
  // The first fixed drive is open and shown in the file list.
  EXPECT_EQ(doc.currentDirectory, "C:\\");
  EXPECT_EQ(frame.driveView()->CurrentItem()->text(0), "C:\\");
  EXPECT_TRUE(frame.driveView()->CurrentItem()->isExpanded());

  EXPECT_TRUE(frame.action(ids::kCommandSaveSet)->isEnabled());
  EXPECT_TRUE(frame.action(ids::kCommandLoadSet)->isEnabled());
  frame.OnCommand(ids::kCommandSaveSet);
  EXPECT_EQ(w.prompt.texts(),
            (std::vector<std::string>{"No files or directories chosen for backup"}));
}

}  // namespace
}  // namespace arkvale
