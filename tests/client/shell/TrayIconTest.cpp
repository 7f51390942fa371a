#include <gtest/gtest.h>

#include <QSystemTrayIcon>

#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

// A desktop with a notification area, which the offscreen platform does not have.
class TrayFrame : public CMainFrame {
 public:
  using CMainFrame::CMainFrame;

 protected:
  bool TrayAvailable() const override { return true; }
};

class TrayIconTest : public ::testing::Test {
 protected:
  void Start(int trayFlag, int minimizedFlag) {
    doc.trayIcon = trayFlag;
    doc.minimizedWindow = minimizedFlag;
    frame.show();
    ASSERT_TRUE(test::WaitFor([&] { return frame.isVisible(); }));
  }
  int Icons() { return static_cast<int>(frame.findChildren<QSystemTrayIcon*>().size()); }

  test::ShellWorld w;
  CArkvaleDoc doc{w.prompt};
  TrayFrame frame{doc};
};

TEST_F(TrayIconTest, MinimizedWithTheFlagOnlyTheIconRemains) {
  Start(1, 0);
  EXPECT_FALSE(frame.trayIconShown());
  frame.showMinimized();
  EXPECT_TRUE(frame.trayIconShown());
  EXPECT_TRUE(test::WaitFor([&] { return frame.isHidden(); }));
  // A double click on the icon brings the window back; the icon stays.
  QSystemTrayIcon* icon = frame.findChild<QSystemTrayIcon*>();
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->toolTip(), "Arkvale");
  emit icon->activated(QSystemTrayIcon::DoubleClick);
  EXPECT_TRUE(frame.isVisible());
  EXPECT_FALSE(frame.isMinimized());
  EXPECT_TRUE(frame.trayIconShown());
  // Minimizing again adds no second icon.
  frame.showMinimized();
  EXPECT_EQ(Icons(), 1);
  EXPECT_TRUE(frame.trayIconShown());
  // Closing removes it.
  frame.close();
  EXPECT_FALSE(frame.trayIconShown());
}

TEST_F(TrayIconTest, WithTheMinimizedWindowFlagTheWindowStaysOnTheTaskBar) {
  Start(1, 1);
  frame.showMinimized();
  EXPECT_TRUE(frame.trayIconShown());
  QApplication::processEvents();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(frame.isMinimized());
}

TEST_F(TrayIconTest, WithoutTheTrayFlagMinimizingDoesNothingElse) {
  Start(0, 0);
  frame.showMinimized();
  QApplication::processEvents();
  EXPECT_EQ(Icons(), 0);
  EXPECT_TRUE(frame.isVisible());
}

TEST(TrayIconNoAreaTest, WithoutANotificationAreaTheWindowStaysMinimized) {
  test::ShellWorld w;
  CArkvaleDoc doc{w.prompt};
  doc.trayIcon = 1;
  doc.minimizedWindow = 0;
  CMainFrame frame{doc};
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  frame.show();
  ASSERT_TRUE(test::WaitFor([&] { return frame.isVisible(); }));
  frame.showMinimized();
  // Hidden, it could not be brought back: no icon to double-click.
  test::WaitFor([&] { return frame.isHidden(); }, 300);
  EXPECT_TRUE(frame.isVisible());
  EXPECT_TRUE(frame.isMinimized());
}

}  // namespace
}  // namespace arkvale
