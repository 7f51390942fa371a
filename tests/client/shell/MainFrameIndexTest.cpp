// The main window's Restore and Delete commands against a scripted server.
#include <gtest/gtest.h>

#include <QTableView>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/shell/MainFrame.h"
#include "client/shell/StatusBar.h"
#include "platform/Files.h"
#include "platform/Sockets.h"
#include "tests/client/shell/ShellWorld.h"
#include "tests/support/ScriptedServer.h"

namespace arkvale {
namespace {

class MainFrameIndexTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (frame.session().sessionSocket != -1) plat::SocketClose(frame.session().sessionSocket);
    frame.session().sessionSocket = -1;
  }
  void Serve(test::ScriptedServer& server) {
    server.Start();
    int socket = plat::SocketCreate();
    ASSERT_GE(socket, 0);
    ASSERT_EQ(plat::SocketConnect(socket, 0x7F000001u, server.port()), 0);
    frame.session().sessionSocket = socket;
  }
  static int Rows(CIndexDlg* dialog) {
    return dialog->findChild<QTableView*>()->model()->rowCount();
  }

  test::ShellWorld w;
  CArkvaleDoc doc{w.prompt};
  CMainFrame frame{doc};
};

TEST_F(MainFrameIndexTest, WithoutASessionBothCommandsAskToConnect) {
  frame.OnCommand(ids::kCommandRestore);
  frame.OnCommand(ids::kCommandDelete);
  EXPECT_EQ(w.prompt.texts(), std::vector<std::string>(2, "Please connect"));
  EXPECT_EQ(frame.restoreDialog(), nullptr);
  EXPECT_EQ(frame.deleteDialog(), nullptr);
}

TEST_F(MainFrameIndexTest, ASecondRestoreOnlyBringsTheEmptyDialogForward) {
  test::ScriptedServer server;
  server.Expect("SEND_BACKED_UP_FILES").Send("0").StaySilent(1000);
  Serve(server);
  frame.show();
  frame.OnCommand(ids::kCommandRestore);
  EXPECT_EQ(w.prompt.texts(),
            std::vector<std::string>{"There are no files currently on the backup server"});
  CRestoreDlg* dialog = frame.restoreDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(dialog->isVisible());
  frame.OnCommand(ids::kCommandRestore);
  EXPECT_EQ(frame.restoreDialog(), dialog);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(Rows(dialog), 0);
  EXPECT_EQ(server.received(), "SEND_BACKED_UP_FILES");
}

TEST_F(MainFrameIndexTest, DeleteShowsTheListingOnceItHasCome) {
  const std::string listing = "C:\\one\t5\t1\t100\nC:\\two\t5\t2\t200\nC:\\three\t5\t3\t300\n";
  test::ScriptedServer server;
  server.Expect("SEND_BACKED_UP_FILES")
      .Send(std::to_string(listing.size()))
      .Expect("OK")
      .Send(listing.substr(0, 10))
      .StaySilent(100)
      .Send(listing.substr(10));
  Serve(server);
  frame.show();
  frame.OnCommand(ids::kCommandDelete);
  CDeleteDlg* dialog = frame.deleteDialog();
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(test::WaitFor([&] { return dialog->isVisible() && Rows(dialog) == 3; }));
  // The window did not wait for the retrieval's pause as it lets go of the lock.
  EXPECT_TRUE(plat::FileExists("C:\\my_lock_file"));
  EXPECT_EQ(dialog->model().entry(0).name, "C:\\three");
  EXPECT_FALSE(frame.statusPanes()->PaneText(0).contains("Communications"));
  EXPECT_TRUE(w.prompt.texts().empty());
}

TEST_F(MainFrameIndexTest, TheWaitEndsWhenTheLockIsBusy) {
  test::ScriptedServer server;
  server.StaySilent(500);
  Serve(server);
  test::TempWorld::WriteHostFile(w.world.driveC() + "/my_lock_file", "");
  frame.OnCommand(ids::kCommandDelete);
  EXPECT_EQ(w.prompt.texts(),
            std::vector<std::string>{"Failed to get lock during retrieve backedup files request"});
  ASSERT_NE(frame.deleteDialog(), nullptr);
  EXPECT_FALSE(frame.deleteDialog()->isVisible());
}

}  // namespace
}  // namespace arkvale
