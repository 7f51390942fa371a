// Every window of the main program as a screen reader meets it. A new dialog adds one line here.
#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QPushButton>

#include "client/document/ArkvaleDoc.h"
#include "client/session/LoginDlg.h"
#include "client/shell/AboutDlg.h"
#include "client/shell/ConfigDlg.h"
#include "client/shell/LogViewerDlg.h"
#include "client/shell/MainFrame.h"
#include "client/transfer/BackupDlg.h"
#include "tests/client/shell/ShellWorld.h"
#include "tests/support/AccessibleCheck.h"

namespace arkvale {
namespace {

using test::ExpectAccessible;

class AccessibilityTest : public ::testing::Test {
 protected:
  // Checks a window the way the user sees it: shown.
  static void Check(QWidget& window) {
    window.show();
    ASSERT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
    ExpectAccessible(&window);
  }

  test::ShellWorld w;
  CArkvaleDoc doc{w.prompt};
};

TEST_F(AccessibilityTest, EveryWindowNamesItsControls) {
  CMainFrame frame(doc);
  Check(frame);
  CAboutDlg about(&frame);
  Check(about);
  CLoginDlg login("ann", "secret", &frame);
  Check(login);
  test::TempWorld::WriteHostFile(w.world.driveC() + "/docs/a.txt", "a");
  doc.ChooseDirectoryTree("C:\\docs");
  CBackupDlg backup(doc, frame.session(), &frame);
  Check(backup);
  LogViewerDialog logViewer(doc.eventLog, w.prompt, &frame);
  Check(logViewer);
  CConfigDlg config(
      ClassicConfig{}, w.prompt, [](const ClassicConfig&) { return true; }, &frame);
  Check(config);
}

TEST_F(AccessibilityTest, TheCheckFindsAnUnnamedOrUnreachableControl) {
  QWidget window;
  auto* layout = new QHBoxLayout(&window);
  auto* named = new QPushButton("OK");
  auto* unnamed = new QPushButton;
  unnamed->setObjectName("picture");
  auto* mouseOnly = new QPushButton("Go");
  mouseOnly->setObjectName("mouseOnly");
  mouseOnly->setFocusPolicy(Qt::NoFocus);
  for (QWidget* button : {named, unnamed, mouseOnly}) layout->addWidget(button);
  window.show();
  ASSERT_TRUE(test::WaitFor([&] { return window.isVisible(); }));
  const std::vector<std::string> faults = test::AccessibilityFaults(&window);
  ASSERT_EQ(faults.size(), 2u);
  EXPECT_NE(faults[0].find("'picture'"), std::string::npos) << faults[0];
  EXPECT_NE(faults[1].find("'mouseOnly'"), std::string::npos) << faults[1];
}

}  // namespace
}  // namespace arkvale
