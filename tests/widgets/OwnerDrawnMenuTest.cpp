#include <gtest/gtest.h>

#include <QAction>
#include <QImage>

#include "tests/support/GuiTest.h"
#include "widgets/OwnerDrawnMenu.h"

namespace arkvale {
namespace {

const QColor kHighlight(242, 238, 230);

TEST(OwnerDrawnMenuTest, TheActiveItemIsFilledWithTheHighlightColour) {
  test::GuiApplication();
  COwnerDrawnMenu menu(QStringLiteral("Operations"));
  menu.SetHighlightColour(kHighlight);
  QAction* first = menu.addAction(QStringLiteral("Backup ..."));
  QAction* second = menu.addAction(QStringLiteral("Restore ..."));
  menu.popup(QPoint(10, 10));
  ASSERT_TRUE(test::WaitFor([&] { return menu.isVisible(); }));
  menu.setActiveAction(second);
  const QImage look = menu.grab().toImage();
  const QRect active = menu.actionGeometry(second);
  const QRect idle = menu.actionGeometry(first);
  // Away from the text and the frame, inside the item's band.
  const QPoint probeActive(active.right() - 6, active.center().y());
  const QPoint probeIdle(idle.right() - 6, idle.center().y());
  EXPECT_EQ(look.pixelColor(probeActive), kHighlight);
  EXPECT_NE(look.pixelColor(probeIdle), kHighlight);
  // Each item leaves room for its image column and its text.
  EXPECT_GE(active.height(), 20);
  EXPECT_GT(active.width(), menu.fontMetrics().horizontalAdvance(QStringLiteral("Restore ...")));
  menu.close();
}

}  // namespace
}  // namespace arkvale
