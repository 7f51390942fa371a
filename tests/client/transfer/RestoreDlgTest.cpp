// Start restore of the Restore dialog against a scripted server.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <filesystem>
#include <future>
#include <thread>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/session/Session.h"
#include "client/transfer/CompareResultsDlg.h"
#include "client/transfer/RestoreDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Sockets.h"
#include "tests/client/transfer/DialogWorld.h"
#include "tests/support/AccessibleCheck.h"
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

TEST(RestoreDlgTest, FolderChoiceAndCompareFollowTheDialog) {
  test::DialogWorld w;
  QPointer<CRestoreDlg> dialog = new CRestoreDlg(w.doc, w.session);
  dialog->SetRows({{"C:\\docs\\a.txt", 10, 0}});
  auto* compare = dialog->findChild<QPushButton*>("compareButton");
  auto* folderRadio = dialog->findChild<QRadioButton*>("folderRadio");
  auto* folderEdit = dialog->findChild<QLineEdit*>("folderEdit");
  ASSERT_TRUE(compare && folderRadio && folderEdit);
  EXPECT_TRUE(dialog->findChild<QRadioButton*>("originalRadio")->isChecked());
  EXPECT_FALSE(folderEdit->isEnabled());
  EXPECT_FALSE(compare->isEnabled());
  dialog->OnCheckAll();
  EXPECT_TRUE(compare->isEnabled());
  dialog->OnUncheckAll();
  EXPECT_FALSE(compare->isEnabled());
  dialog->OnCheckAll();

  folderRadio->click();
  EXPECT_TRUE(folderEdit->isEnabled());
  dialog->show();
  test::ExpectAccessible(dialog);
  // Browse answers with a host path; the edit shows its Windows form.
  dialog->SetFolderChooser([&](const QString&) { return w.world.driveC() + "/restored"; });
  dialog->OnBrowse();
  EXPECT_EQ(folderEdit->text(), "C:\\restored");
  // A folder that is nowhere is refused before anything starts.
  folderEdit->setText("restored");
  dialog->findChild<QPushButton*>(ids::IdName(ids::kStartRestore))->click();
  EXPECT_FALSE(restoreInProgress);
  ASSERT_FALSE(w.prompt.texts().empty());
  EXPECT_EQ(w.prompt.texts().back().rfind("restored is not a folder Arkvale can restore into", 0),
            0u);
  // A Compare's end opens the results window.
  dialog->ShowCompareResults({DamagedResult({"C:\\docs\\a.txt", 10, 0}, "")}, "summary");
  ASSERT_NE(dialog->resultsWindow(), nullptr);
  EXPECT_TRUE(dialog->resultsWindow()->isVisible());
  delete dialog->resultsWindow();
  delete dialog;
}

TEST(RestoreDlgTest, CompareResultsSortBothWaysAndCopyAsText) {
  test::DialogWorld w;
  auto result = [](const char* path, CompareOutcome outcome, uint64_t size) {
    CompareResult r;
    r.path = path;
    r.outcome = outcome;
    r.storedSize = size;
    return r;
  };
  CCompareResultsDlg window(
      {result("C:\\b", CompareOutcome::Differs, 9), result("C:\\a", CompareOutcome::Same, 10),
       result("C:\\c", CompareOutcome::Missing, 100)},
      "1 same, 1 differ, 1 missing, 0 damaged");
  window.show();
  test::ExpectAccessible(&window);
  QTableView* list = window.list();
  auto column = [list](int c) {
    QStringList out;
    for (int row = 0; row < list->model()->rowCount(); ++row) {
      out << list->model()->index(row, c).data().toString();
    }
    return out;
  };
  QHeaderView* header = list->horizontalHeader();
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
  EXPECT_EQ(column(2), (QStringList{"9", "10", "100"}));
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                    QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
  EXPECT_EQ(column(2), (QStringList{"100", "10", "9"}));

  list->selectRow(1);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            "File name\tResult\tStored size (bytes)\tStored modified\tSize here (bytes)\t"
            "Modified here\nC:\\a\tsame\t10\t" +
                QString::fromStdString(CompareTimeText(0)) + "\t\t\n");
  list->clearSelection();
  EXPECT_EQ(window.CopiedText().count('\n'), 4);
}

}  // namespace
}  // namespace arkvale
