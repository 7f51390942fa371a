// Start restore of the Restore dialog against a scripted server.
#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <future>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/session/Session.h"
#include "client/transfer/RestoreDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Sockets.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/RecordingSessionView.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/TempWorld.h"

namespace arkvale {
namespace {

// Holds every question until the test lets it through, so a run can be caught in the middle.
class GatePrompt : public test::RecordingPrompt {
 public:
  bool AskYesNo(const std::string& text, const std::string& caption, Icon icon,
                Owner owner) override {
    asked = true;
    gate.wait();
    return RecordingPrompt::AskYesNo(text, caption, icon, owner);
  }

  std::atomic<bool> asked{false};
  std::promise<void> release;
  std::shared_future<void> gate = release.get_future().share();
};

TEST(RestoreDlgTest, StartRestoreRunsOnceAndTheRunDisablesStop) {
  QApplication& app = test::GuiApplication();
  (void)app;
  test::TempWorld world;
  std::filesystem::create_directories(world.driveC() + "/Program Files/Arkvale/log");
  test::TempWorld::WriteHostFile(world.driveC() + "/docs/a.txt", "mine");
  GatePrompt prompt;
  test::RecordingSessionView view;
  CArkvaleDoc doc{prompt};
  CSession session{doc, view};
  test::ScriptedServer server;
  server.Expect("RESTORE")
      .Send("OK")
      .Expect("1")
      .Send("OK")
      .Expect("C:\\docs\\a.txt")
      .Send("10")
      .Expect("DO_NOT_SEND_FILE");
  server.Start();
  int socket = plat::SocketCreate();
  ASSERT_EQ(plat::SocketConnect(socket, 0x7F000001u, server.port()), 0);
  session.sessionSocket = socket;

  QPointer<CRestoreDlg> dialog = new CRestoreDlg(doc, session);
  dialog->SetRows({{"C:\\docs\\a.txt", 10, 0}});
  dialog->OnCheckAll();
  auto* start = dialog->findChild<QPushButton*>(ids::IdName(ids::kStartRestore));
  auto* stop = dialog->findChild<QPushButton*>(ids::IdName(ids::kStopRestore));
  ASSERT_TRUE(start && stop);
  ASSERT_TRUE(start->isEnabled());

  prompt.QueueAnswer(false);
  QTest::mouseClick(start, Qt::LeftButton);
  ASSERT_TRUE(test::WaitFor([&] { return prompt.asked.load(); }));
  EXPECT_TRUE(stop->isEnabled());
  // A second run would wait for the first on this thread: the question is let through after
  // the click, or after a while if the click never comes back.
  std::promise<void> clicked;
  std::thread releaser([&, done = clicked.get_future()] {
    done.wait_for(std::chrono::seconds(10));
    prompt.release.set_value();
  });
  QTest::mouseClick(start, Qt::LeftButton);
  clicked.set_value();
  releaser.join();
  EXPECT_TRUE(test::WaitFor([&] { return !restoreInProgress && !stop->isEnabled(); }));

  plat::SocketClose(session.sessionSocket);
  session.sessionSocket = -1;
  ASSERT_TRUE(server.WaitFinished());
  EXPECT_TRUE(server.failures().empty());
  EXPECT_EQ(server.received(), "RESTORE1C:\\docs\\a.txtDO_NOT_SEND_FILE");
  EXPECT_EQ(prompt.texts().back(), "Restore operation completed");
  delete dialog;
}

}  // namespace
}  // namespace arkvale
