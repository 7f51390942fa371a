#include <gtest/gtest.h>

#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"
#include "client/shell/ProgressBar.h"
#include "client/shell/StatusBar.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

class StatusProgressTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame.show();
    ASSERT_TRUE(test::WaitFor([&] { return frame.isVisible(); }));
    frame.statusPanes()->SetPaneText(0, "before");
  }
  // Where the bar belongs in pane 0 for the message and size given.
  QRect Expected(const QString& message, int size) {
    CStatusBar* bar = frame.statusPanes();
    QRect r = bar->PaneRect(0);
    const QFontMetrics m = bar->fontMetrics();
    const int left = message.isEmpty()
                         ? r.left()
                         : r.left() + m.horizontalAdvance(message) + 4 * m.horizontalAdvance(' ');
    const int right = std::max(left, r.right() - (100 - size) * (r.right() - left) / 100);
    const int shrink = r.height() / 10;
    return QRect(QPoint(left, r.top() + shrink), QPoint(right, r.bottom() - shrink));
  }

  test::ShellWorld w;
  CArkvaleDoc doc{w.prompt};
  CMainFrame frame{doc};
};

TEST_F(StatusProgressTest, SitsAfterItsMessageAndTakesItsShareOfThePane) {
  CProgressBar progress(frame.statusPanes());
  ASSERT_TRUE(progress.Create("Communications in progress", 70, 100, false, 0));
  EXPECT_EQ(frame.statusPanes()->PaneText(0), "Communications in progress");
  EXPECT_TRUE(progress.control()->isVisible());
  EXPECT_EQ(progress.control()->geometry(), Expected("Communications in progress", 70));
  EXPECT_EQ(progress.control()->maximum(), 100);

  // A wider window moves the bar so that it keeps its share.
  const QRect before = progress.control()->geometry();
  frame.resize(frame.width() + 200, frame.height());
  ASSERT_TRUE(test::WaitFor([&] { return progress.control()->geometry() != before; }));
  EXPECT_EQ(progress.control()->geometry(), Expected("Communications in progress", 70));
}

TEST_F(StatusProgressTest, StepsAndGivesPaneZeroTheIdleTextBack) {
  CProgressBar progress(frame.statusPanes());
  ASSERT_TRUE(progress.Create("", 100, 3, true, 0));
  // Without a message the bar fills the pane from its left edge.
  EXPECT_EQ(progress.control()->geometry(), Expected("", 100));
  EXPECT_EQ(progress.control()->x(), frame.statusPanes()->PaneRect(0).left());
  for (int i = 0; i < 5; ++i) progress.Step();
  EXPECT_EQ(progress.control()->value(), 3);
  progress.Destroy();
  EXPECT_EQ(frame.statusPanes()->PaneText(0), kIdleText);
  EXPECT_EQ(progress.control(), nullptr);
}

TEST_F(StatusProgressTest, AnotherPaneGetsItsOwnTextBack) {
  frame.statusPanes()->SetPaneText(2, "    1.00 MB ");
  CProgressBar progress(frame.statusPanes());
  ASSERT_TRUE(progress.Create("x", 50, 10, false, 2));
  EXPECT_EQ(frame.statusPanes()->PaneText(2), "x");
  progress.SetRange(0, 20);
  EXPECT_EQ(progress.control()->maximum(), 20);
  progress.Destroy();
  EXPECT_EQ(frame.statusPanes()->PaneText(2), "    1.00 MB ");
}

}  // namespace
}  // namespace arkvale
