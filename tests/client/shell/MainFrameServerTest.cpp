// The main window against the reference server: the start-up connection, the quota panes and one
// whole backup driven through the Backup dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <algorithm>
#include <fstream>
#include <random>

#include "client/resources/ResourceIds.h"
#include "client/document/ArkvaleDoc.h"
#include "client/shell/ButtonBar.h"
#include "client/shell/GuiPrompt.h"
#include "client/shell/MainFrame.h"
#include "client/shell/StatusBar.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Install.h"
#include "tests/client/shell/ShellWorld.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale {
namespace {

bool Shows(CMainFrame& frame, int control) {
  return frame.buttonBar()->button(control)->isVisibleTo(frame.buttonBar());
}

class MainFrameServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<std::string> installed;
    std::string error;
    ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
    ASSERT_TRUE(server.running());
    ASSERT_EQ(server.Account({"add-user", "ann", "secret", "102400"}), 0);
    ConfigSettings settings;
    settings.userName = "ann";
    settings.password = "secret";
    settings.encryptionKey = "a key of our own";
    settings.serverName = "backup";
    w.WriteConfig(settings);
  }
  void Start(Prompt& prompt) {
    doc = std::make_unique<CArkvaleDoc>(prompt);
    frame = std::make_unique<CMainFrame>(*doc);
    frame->session().serverPort = server.port();
    frame->show();
  }
  void TearDown() override {
    frame.reset();
    doc.reset();
  }
  std::vector<std::string> LogMessages() {
    std::vector<std::string> messages;
    for (const std::string& line :
         doc->eventLog.ReadAll(4000).value_or(std::vector<std::string>{})) {
      messages.push_back(line);
    }
    return messages;
  }
  bool Logged(const std::string& text) {
    const auto lines = LogMessages();
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
      return line.find(text) != std::string::npos;
    });
  }

  test::ShellWorld w;
  test::ReferenceServer server{w.world.root() + "/server"};
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameServerTest, StartupConnectionShowsDisconnectAndTheQuota) {
  Start(w.prompt);
  EXPECT_TRUE(Shows(*frame, ids::kButtonConnecting));
  // Timer 2 fires after four seconds.
  ASSERT_TRUE(test::WaitFor([&] { return Shows(*frame, ids::kButtonDisconnect); }, 15000));
  EXPECT_FALSE(Shows(*frame, ids::kButtonConnect));
  EXPECT_FALSE(Shows(*frame, ids::kButtonConnecting));
  EXPECT_EQ(frame->statusPanes()->PaneText(2), "    0.00 MB ");
  EXPECT_EQ(frame->statusPanes()->PaneText(4), "  102.40 MB ");
  EXPECT_EQ(frame->statusPanes()->PaneText(6), "0");
  EXPECT_TRUE(Logged("Automatic connection to server"));
  EXPECT_TRUE(w.prompt.boxes().empty());
  // Keep-alive ticks leave the session open.
  frame->OnTimer(ids::kTimerKeepAlive);
  EXPECT_TRUE(Shows(*frame, ids::kButtonDisconnect));
  frame->OnCommand(ids::kCommandDisconnect);
  EXPECT_TRUE(Shows(*frame, ids::kButtonConnect));
  EXPECT_TRUE(Logged("Disconnected from backup server"));
}

TEST_F(MainFrameServerTest, AFailedStartupConnectionShowsConnect) {
  server.Stop();
  Start(w.prompt);
  ASSERT_TRUE(Shows(*frame, ids::kButtonConnecting));
  frame->OnTimer(ids::kTimerStartupConnection);
  EXPECT_TRUE(Shows(*frame, ids::kButtonConnect));
  EXPECT_FALSE(Shows(*frame, ids::kButtonConnecting));
  EXPECT_TRUE(Logged("Error on connect"));
  EXPECT_TRUE(w.prompt.boxes().empty());
}

TEST_F(MainFrameServerTest, AWholeBackupThroughTheDialog) {
  CGuiPrompt prompt;
  test::BoxAnswerer answerer;
  Start(prompt);
  // One file big enough for the tools to outlast the dialog's start pause (the window shows only
  // the latest values once it paints again), one small.
  std::string big(24 * 1000 * 1000, '\0');
  std::mt19937 random(7);
  for (char& c : big) c = static_cast<char>(random());
  test::TempWorld::WriteHostFile(w.world.driveC() + "/data/big.bin", big);
  test::TempWorld::WriteHostFile(w.world.driveC() + "/data/small.txt", "small");
  doc->chosenDirectories.push_back({"C:\\data"});

  frame->OnTimer(ids::kTimerStartupConnection);
  ASSERT_TRUE(Shows(*frame, ids::kButtonDisconnect));
  frame->OnCommand(ids::kCommandBackup);
  CBackupDlg* dialog = frame->backupDialog();
  ASSERT_NE(dialog, nullptr);
  const auto edit = [&](int id) { return dialog->findChild<QLineEdit*>(ids::IdName(id))->text(); };
  EXPECT_EQ(edit(ids::kFilesSelected), "2");
  EXPECT_EQ(edit(ids::kBytesSelected), "24000005");

  std::map<int, int> highest;
  for (int id : {ids::kCompressingBar, ids::kEncryptingBar, ids::kTransmissionBar}) {
    auto* bar = dialog->findChild<QProgressBar*>(ids::IdName(id));
    QObject::connect(bar, &QProgressBar::valueChanged,
                     [&highest, id](int value) { highest[id] = std::max(highest[id], value); });
  }
  std::vector<std::string> transmitted;
  QObject::connect(dialog->findChild<QLineEdit*>(ids::IdName(ids::kBytesTransmitted)),
                   &QLineEdit::textChanged,
                   [&](const QString& text) { transmitted.push_back(text.toStdString()); });
  auto* stop = dialog->findChild<QPushButton*>(ids::IdName(ids::kStopBackup));
  dialog->findChild<QPushButton*>(ids::IdName(ids::kStartBackup))->click();
  EXPECT_TRUE(stop->isEnabled());
  ASSERT_TRUE(test::WaitFor([] { return !backupInProgress; }, 120000));
  QApplication::processEvents();

  EXPECT_EQ(answerer.texts(),
            std::vector<std::string>{"All files in session transferred succesfully"});
  ASSERT_FALSE(answerer.seen().empty());
  EXPECT_FALSE(answerer.seen()[0].owned);
  EXPECT_EQ(edit(ids::kFilesTransmitted), "2");
  // The counter was shown. How many of its values the window got to show depends on how fast
  // the data went compared with the window's own pace, so that is not counted here.
  EXPECT_FALSE(transmitted.empty());
  EXPECT_GT(edit(ids::kBytesTransmitted).toULong(), 24000000u);
  EXPECT_GT(highest[ids::kCompressingBar], 0);
  EXPECT_GT(highest[ids::kEncryptingBar], 0);
  EXPECT_GT(highest[ids::kTransmissionBar], 50);
  EXPECT_EQ(dialog->findChild<QProgressBar*>(ids::IdName(ids::kTransmissionBar))->value(), 0);
  EXPECT_FALSE(stop->isEnabled());
  // The run ends with a quota refresh.
  EXPECT_NE(frame->statusPanes()->PaneText(2), "    0.00 MB ");
  EXPECT_TRUE(Logged("All files in session transferred succesfully"));
  dialog->close();
}

}  // namespace
}  // namespace arkvale
