#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <filesystem>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/shell/AboutDlg.h"
#include "client/shell/ButtonBar.h"
#include "client/shell/MainFrame.h"
#include "client/shell/StatusBar.h"
#include "client/transfer/BackupDlg.h"
#include "platform/Files.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

using test::ShellWorld;

bool Shows(CMainFrame& frame, int control) {
  return frame.buttonBar()->button(control)->isVisibleTo(frame.buttonBar());
}

std::vector<int> VisibleConnectionButtons(CMainFrame& frame) {
  std::vector<int> shown;
  for (int id : {ids::kButtonConnect, ids::kButtonConnecting, ids::kButtonDisconnect}) {
    if (Shows(frame, id)) shown.push_back(id);
  }
  return shown;
}

ConfigSettings Account(const std::string& server) {
  ConfigSettings s;
  s.userName = "ann";
  s.password = "secret";
  s.encryptionKey = "key one";
  s.serverName = server;
  return s;
}

TEST(MainFrameStartTest, WithoutConfigurationAndWizardTheWindowStartsEmpty) {
  ShellWorld w;
  // Locks left by a crash.
  test::TempWorld::WriteHostFile(w.world.driveC() + "/my_lock_file", "");
  test::TempWorld::WriteHostFile(w.world.driveC() + "/my_sched_lock_file", "");
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);

  EXPECT_FALSE(plat::FileExists("C:\\my_lock_file"));
  EXPECT_FALSE(plat::FileExists("C:\\my_sched_lock_file"));
  EXPECT_FALSE(frame.configurationPresent());
  EXPECT_EQ(frame.settingsCopy(), ConfigSettings{});
  EXPECT_EQ(frame.windowTitle(), "arkvale");
  EXPECT_EQ(frame.pos(), QPoint(20, 40));
  EXPECT_EQ(frame.size(), QSize(760, 500));
  const std::vector<QString> initial{"stam", "Current usage", "", "Limit", "", "Percent used", ""};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(frame.statusPanes()->PaneText(i), initial[i]) << i;
  EXPECT_EQ(VisibleConnectionButtons(frame), std::vector<int>{ids::kButtonConnecting});
  EXPECT_TRUE(w.prompt.boxes().empty());

  frame.show();
  ASSERT_TRUE(test::WaitFor([&] { return frame.isVisible(); }));
  EXPECT_EQ(frame.splitter()->count(), 2);
  EXPECT_EQ(frame.splitter()->sizes().at(0), kDriveTreeWidth);

  // Without a configuration the start-up connection only stops its timer; the first keep-alive
  // then finds no session and shows Connect, logging nothing.
  frame.OnTimer(ids::kTimerStartupConnection);
  EXPECT_EQ(VisibleConnectionButtons(frame), std::vector<int>{ids::kButtonConnecting});
  frame.OnTimer(ids::kTimerKeepAlive);
  EXPECT_EQ(VisibleConnectionButtons(frame), std::vector<int>{ids::kButtonConnect});
  EXPECT_TRUE(w.prompt.boxes().empty());
  const auto lines = doc.eventLog.ReadAll(2000);
  ASSERT_TRUE(lines.has_value());
  EXPECT_TRUE(lines->empty());
}

TEST(MainFrameStartTest, TheWizardRunsWhenThereIsNoConfiguration) {
  ShellWorld w;
  // The stand-in wizard writes the configuration and finishes.
  w.WriteConfig(Account("vault"));
  std::filesystem::rename(w.installHostDir() + "/config_file", w.installHostDir() + "/ready");
  w.WriteWizard("cd \"$(dirname \"$0\")\" && mv ready config_file\n");
  CArkvaleDoc doc(w.prompt);
  EXPECT_EQ(doc.serverName.str(), "");
  CMainFrame frame(doc);
  EXPECT_TRUE(frame.configurationPresent());
  EXPECT_EQ(frame.settingsCopy().userName, "ann");
  EXPECT_EQ(frame.settingsCopy().encryptionKey, "key one");
  EXPECT_EQ(frame.settingsCopy().serverName, "vault");
  // The document takes over what the wizard wrote, so Connect can use it.
  EXPECT_EQ(doc.serverName.str(), "vault");
}

TEST(MainFrameStartTest, AWizardThatQuitsLeavesTheConfigurationAbsent) {
  ShellWorld w;
  w.WriteWizard("exit 1\n");
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  EXPECT_FALSE(frame.configurationPresent());
  EXPECT_EQ(frame.settingsCopy(), ConfigSettings{});
}

TEST(MainFrameStartTest, AnExistingConfigurationIsReadWithoutTheWizard) {
  ShellWorld w;
  w.WriteConfig(Account("vault"));
  // A wizard that would leave a trace if it ran.
  w.WriteWizard("touch \"$(dirname \"$0\")/wizard_ran\"\n");
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  EXPECT_TRUE(frame.configurationPresent());
  EXPECT_EQ(frame.settingsCopy().password, "secret");
  EXPECT_FALSE(std::filesystem::exists(w.installHostDir() + "/wizard_ran"));
}

class MainFrameTest : public ::testing::Test {
 protected:
  ShellWorld w;
  CArkvaleDoc doc{w.prompt};
  CMainFrame frame{doc};
};

TEST_F(MainFrameTest, ButtonBarHoldsElevenButtonsInTheirPlaces) {
  const std::vector<int> order{ids::kButtonBackup,   ids::kButtonRestore,  ids::kButtonDelete,
                               ids::kButtonSaveSet,  ids::kButtonLoadSet,  ids::kButtonLogViewer,
                               ids::kButtonSchedule, ids::kButtonConfigure};
  const int connectX = frame.buttonBar()->button(ids::kButtonConnect)->x();
  for (int stacked : {ids::kButtonConnecting, ids::kButtonDisconnect}) {
    EXPECT_EQ(frame.buttonBar()->button(stacked)->geometry(),
              frame.buttonBar()->button(ids::kButtonConnect)->geometry());
  }
  int previous = connectX;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const int x = frame.buttonBar()->button(order[i])->x();
    EXPECT_EQ(x - connectX, DialogUnitsX(48 * static_cast<int>(i + 1))) << order[i];
    EXPECT_GT(x, previous);
    previous = x;
  }
  EXPECT_EQ(connectX, DialogUnitsX(5));
  EXPECT_EQ(frame.buttonBar()->findChildren<CImageButton*>().size(), 11u);
  EXPECT_EQ(frame.buttonBar()->button(ids::kButtonLoadSet)->toolTip(),
            "Load a previously saved backup file set");
  EXPECT_EQ(frame.buttonBar()->button(ids::kButtonConnecting)->toolTip(), "Connecting");
  // The bitmaps' mask colours are transparent: a corner of every picture shows through.
  for (CImageButton* button : frame.buttonBar()->findChildren<CImageButton*>()) {
    EXPECT_EQ(qAlpha(button->pixmap().toImage().pixel(0, 0)), 0)
        << button->objectName().toStdString();
  }
}

TEST_F(MainFrameTest, MenuHoldsEveryCommandWithItsPrompt) {
  struct Expected {
    int id;
    const char* text;
    bool enabled;
  };
  const std::vector<Expected> items{{32773, "Connect ...", true},
                                    {32775, "Disconnect", true},
                                    {32781, "Save Backup Set ...", true},
                                    {32783, "Load Backup Set ...", true},
                                    {57665, "E&xit", true},
                                    {32784, "Configuration Wizard ...", true},
                                    {32774, "Configure (Classic) ...", true},
                                    {32780, "Schedule ...", true},
                                    {59393, "&Status Bar", true},
                                    {32779, "Log Viewer ...", true},
                                    {32776, "Backup ...", true},
                                    {32777, "Restore ...", false},
                                    {32778, "Delete ...", false},
                                    {57667, "&Help Topics", true},
                                    {57664, "&About arkvale...", true}};
  for (const Expected& e : items) {
    QAction* action = frame.action(e.id);
    ASSERT_NE(action, nullptr) << e.id;
    EXPECT_EQ(action->text(), e.text);
    EXPECT_EQ(action->isEnabled(), e.enabled) << e.id;
  }
  EXPECT_EQ(frame.action(32777)->statusTip(), "Restore previosly backed up files");
  EXPECT_EQ(frame.action(32778)->statusTip(), "Delete backed up files from backup server");
  EXPECT_EQ(frame.action(32781)->statusTip(), "Save backup file set");
  // A button can be used exactly when its command can.
  EXPECT_FALSE(frame.buttonBar()->button(ids::kButtonRestore)->isEnabled());
  EXPECT_TRUE(frame.buttonBar()->button(ids::kButtonDisconnect)->isEnabled());
  EXPECT_TRUE(frame.buttonBar()->button(ids::kButtonConnect)->isEnabled());
}

TEST_F(MainFrameTest, HoverTextsFollowThePointer) {
  frame.show();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
  QApplication::sendEvent(frame.buttonBar()->button(ids::kButtonRestore), &enter);
  EXPECT_EQ(frame.statusPanes()->PaneText(0), "Restore previously backed up files");
  QApplication::sendEvent(frame.buttonBar()->button(ids::kButtonConnecting), &enter);
  EXPECT_EQ(frame.statusPanes()->PaneText(0), "Trying to connect to the backup server");
  QApplication::sendEvent(frame.splitter()->widget(1), &enter);
  EXPECT_EQ(frame.statusPanes()->PaneText(0), "");
}

TEST_F(MainFrameTest, StatusBarCommandHidesAndShowsIt) {
  frame.show();
  frame.OnCommand(ids::kCommandStatusBar);
  EXPECT_FALSE(frame.statusPanes()->isVisible());
  EXPECT_FALSE(frame.action(ids::kCommandStatusBar)->isChecked());
  frame.OnCommand(ids::kCommandStatusBar);
  EXPECT_TRUE(frame.statusPanes()->isVisible());
  EXPECT_TRUE(frame.action(ids::kCommandStatusBar)->isChecked());
}

TEST_F(MainFrameTest, ARightClickOnTheButtonBarOffersNoMenuToHideIt) {
  frame.show();
  auto* rebar = frame.findChild<QToolBar*>("rebar");
  ASSERT_NE(rebar, nullptr);
  bool menuShown = false;
  // A menu would wait for the user; this closes it and tells.
  QTimer::singleShot(0, &frame, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      menuShown = true;
      popup->close();
    }
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(5, 5),
                          frame.buttonBar()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(frame.buttonBar(), &click);
  QCoreApplication::processEvents();
  EXPECT_FALSE(menuShown);
  EXPECT_FALSE(rebar->toggleViewAction()->isVisible());
  EXPECT_TRUE(rebar->isVisible());
}

TEST_F(MainFrameTest, AboutBoxShowsNameAndVersion) {
  QString title;
  QStringList texts;
  QTimer::singleShot(50, [&] {
    auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    title = about->windowTitle();
    for (QLabel* label : about->findChildren<QLabel*>()) texts << label->text();
    about->findChild<QAbstractButton*>(ids::IdName(ids::kIdOk))->click();
  });
  frame.OnCommand(ids::kCommandAbout);
  EXPECT_EQ(title, "About arkvale");
  EXPECT_TRUE(texts.contains("arkvale Version 1.3"));
}

TEST_F(MainFrameTest, QuotaFromAWorkerThreadReachesThePanes) {
  std::thread worker([&] { frame.ShowQuota("    1.00 MB ", "    4.00 MB ", "25"); });
  worker.join();
  ASSERT_TRUE(test::WaitFor([&] { return frame.statusPanes()->PaneText(6) == "25"; }));
  EXPECT_EQ(frame.statusPanes()->PaneText(2), "    1.00 MB ");
  EXPECT_EQ(frame.statusPanes()->PaneText(4), "    4.00 MB ");
}

TEST_F(MainFrameTest, DisconnectWithoutSessionOnlyResetsTheButtons) {
  frame.OnCommand(ids::kCommandDisconnect);
  EXPECT_EQ(VisibleConnectionButtons(frame), std::vector<int>{ids::kButtonConnect});
  EXPECT_TRUE(w.prompt.boxes().empty());
}

}  // namespace
}  // namespace arkvale

namespace arkvale {
namespace {

TEST_F(MainFrameTest, BackupCommandNeedsAChoiceAndKeepsOneDialog) {
  frame.OnCommand(ids::kCommandBackup);
  ASSERT_EQ(w.prompt.boxes().size(), 1u);
  EXPECT_EQ(w.prompt.boxes()[0].text, "No files or directories chosen for backup");
  EXPECT_EQ(w.prompt.boxes()[0].caption, "arkvale");
  EXPECT_EQ(w.prompt.boxes()[0].owner, Owner::MainWindow);
  EXPECT_EQ(frame.backupDialog(), nullptr);

  test::TempWorld::WriteHostFile(w.world.driveC() + "/one.txt", "1");
  doc.chosenFiles.push_back({"C:\\one.txt", "C:", "one.txt", 1});
  frame.OnCommand(ids::kCommandBackup);
  QPointer<CBackupDlg> first = frame.backupDialog();
  ASSERT_NE(first, nullptr);
  EXPECT_TRUE(first->isVisible());
  first->showMinimized();
  frame.OnCommand(ids::kCommandBackup);
  EXPECT_EQ(frame.backupDialog(), first);
  EXPECT_FALSE(first->isMinimized());
  EXPECT_EQ(frame.findChildren<CBackupDlg*>().size(), 1u);
  // Once closed, the main window forgets it.
  first->close();
  EXPECT_TRUE(test::WaitFor([&] { return frame.backupDialog() == nullptr; }));
}

}  // namespace
}  // namespace arkvale

namespace arkvale {
namespace {

TEST(MainFrameWizardTest, TheWizardCommandWaitsAndTakesOverWhatAFinishedWizardWrote) {
  ShellWorld w;
  w.WriteConfig(Account("vault"));
  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  // A wizard that writes another account and then quits: nothing is taken over.
  w.WriteWizard(
      "cd \"$(dirname \"$0\")\" && sleep 0.3 && printf 'bob\\npw\\nk\\nother\\n5\\n0\\n0\\n0\\n' "
      "> config_file && touch wizard_done && exit 1\n");
  frame.OnCommand(ids::kCommandWizard);
  EXPECT_TRUE(std::filesystem::exists(w.installHostDir() + "/wizard_done"));
  EXPECT_EQ(doc.serverName.str(), "vault");
  // After Finish the document holds what was written, so Connect and Backup use it; the main
  // window's own copy stays as read at start.
  w.WriteWizard("exit 0\n");
  frame.OnCommand(ids::kCommandWizard);
  EXPECT_EQ(doc.serverName.str(), "other");
  EXPECT_EQ(doc.EncryptionKey(), "k");
  EXPECT_EQ(doc.trayIcon, 0);
  EXPECT_EQ(frame.settingsCopy().serverName, "vault");
  EXPECT_TRUE(w.prompt.boxes().empty());
}

}  // namespace
}  // namespace arkvale
