// How the drive tree answers the mouse on empty space and draws the lines between its items.
#include <QMouseEvent>
#include <QPainter>

#include "client/selection/DriveView.h"

namespace arkvale {

void CDriveView::mousePressEvent(QMouseEvent* event) {
  if (!indexAt(event->position().toPoint()).isValid()) {
    event->accept();
    return;
  }
  QTreeWidget::mousePressEvent(event);
}

void CDriveView::drawBranches(QPainter* painter, const QRect& rect,
                              const QModelIndex& index) const {
  QTreeWidget::drawBranches(painter, rect, index);
  const int step = indentation();
  if (step <= 0) return;
  painter->save();
  QPen pen(palette().color(QPalette::Mid));
  pen.setStyle(Qt::DotLine);
  painter->setPen(pen);
  const int top = rect.top();
  const int bottom = rect.bottom();
  const int middle = rect.center().y();
  auto hasNextSibling = [](const QModelIndex& i) { return i.sibling(i.row() + 1, 0).isValid(); };

  // The item's own column: up to its middle, on down when a sibling follows, across to it.
  int x = rect.right() + 1 - step + step / 2;
  const bool expandable = model()->hasChildren(index);
  const int gap = expandable ? 5 : 0;  // room for the expand indicator drawn by the style
  // The first drive has nothing above it to join.
  if (index.parent().isValid() || index.row() > 0) painter->drawLine(x, top, x, middle - gap);
  if (hasNextSibling(index)) painter->drawLine(x, middle + gap, x, bottom);
  painter->drawLine(x + gap, middle, rect.right(), middle);
  // The columns of the ancestors run on through this row while they have siblings below.
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
    x -= step;
    if (hasNextSibling(up)) painter->drawLine(x, top, x, bottom);
  }
  painter->restore();
}

}  // namespace arkvale
