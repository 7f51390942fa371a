// Every window of the main program as a screen reader meets it. A new dialog adds one line here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/ScheduleDlg.h"
#include "client/selection/DriveView.h"
#include "client/session/LoginDlg.h"
#include "client/shell/AboutDlg.h"
#include "client/shell/ButtonBar.h"
#include "client/shell/ConfigDlg.h"
#include "client/shell/LogViewerDlg.h"
#include "client/shell/MainFrame.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/CompareResultsDlg.h"
#include "client/transfer/DeleteDlg.h"
#include "client/transfer/RestoreDlg.h"
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
  // A bar button says its painted caption and, asked for more, its tooltip.
  QAccessibleInterface* saveSet = test::FindAccessible(&frame, "1036");
  ASSERT_NE(saveSet, nullptr);
  EXPECT_EQ(saveSet->text(QAccessible::Name), "Save Set");
  EXPECT_EQ(saveSet->text(QAccessible::Description), "Save selected files to backup set");
  // The tool bar's own arrow button, shown when the bar does not fit, says what it is too.
  QToolButton* more =
      frame.findChild<QToolBar*>()->findChild<QToolButton*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(more, nullptr);
  QAccessibleInterface* moreFace = QAccessible::queryAccessibleInterface(more);
  ASSERT_NE(moreFace, nullptr);
  EXPECT_FALSE(moreFace->text(QAccessible::Name).isEmpty());
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
  CScheduleDlg schedule(ScheduleSettings{}, w.prompt, &frame);
  Check(schedule);
  for (CIndexDlg* index :
       std::initializer_list<CIndexDlg*>{new CRestoreDlg(doc, frame.session(), &frame),
                                         new CDeleteDlg(doc, frame.session(), &frame)}) {
    index->SetRows({{"C:\\docs\\a.txt", 1, 2}});
    Check(*index);
  }
  CCompareResultsDlg compared({DamagedResult({"C:\\docs\\a.txt", 1, 2}, "")}, "", &frame);
  Check(compared);
}

TEST_F(AccessibilityTest, TabGoesThroughTheTreeTheFileListThenTheBarFromLeftToRight) {
  CMainFrame frame(doc);
  // Every shown button usable, whatever commands this build has.
  QList<CImageButton*> buttons = frame.buttonBar()->findChildren<CImageButton*>();
  for (CImageButton* button : buttons) button->setEnabled(true);
  frame.show();
  frame.activateWindow();
  frame.driveView()->setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return frame.driveView()->hasFocus(); }));

  buttons.removeIf([](CImageButton* b) { return !b->isVisible(); });
  std::sort(buttons.begin(), buttons.end(),
            [](CImageButton* a, CImageButton* b) { return a->x() < b->x(); });
  std::vector<std::string> expected{"driveView", "fileView"};
  for (CImageButton* button : buttons) expected.push_back(button->objectName().toStdString());
  expected.push_back("driveView");

  std::vector<std::string> order;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    QWidget* focus = QApplication::focusWidget();
    order.push_back(focus == nullptr ? "none" : focus->objectName().toStdString());
    QTest::keyClick(focus, Qt::Key_Tab);
  }
  EXPECT_EQ(order, expected);
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
