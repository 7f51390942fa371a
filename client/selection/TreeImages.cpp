#include "client/selection/TreeImages.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include "client/selection/TreeMarks.h"

namespace arkvale {

namespace {

constexpr int kSize = 16;
const QColor kOutline(64, 64, 64);
const QColor kChosen(32, 80, 208);

// Fills a shape's body in the look of the mark: its own colour, hatched over in blue, or blue.
void FillBody(QPainter& painter, const QPainterPath& body, const QColor& plain, int mark) {
  painter.fillPath(body, mark == kMarkWholly ? kChosen : plain);
  if (mark == kMarkPartly) {
    // Dense diagonal lines: a stock hatch pattern leaves a single stroke on so small a shape.
    painter.save();
    painter.setClipPath(body);
    painter.setPen(kChosen);
    for (int x = -kSize; x < kSize; x += 3) painter.drawLine(x, kSize, x + kSize, 0);
    painter.restore();
  }
  painter.setPen(kOutline);
  painter.drawPath(body);
}

QPainterPath Rect(int x, int y, int w, int h) {
  QPainterPath path;
  path.addRect(x, y, w, h);
  return path;
}

QPainterPath Polygon(std::initializer_list<QPoint> points) {
  QPainterPath path;
  path.addPolygon(QPolygonF(QPolygon(QList<QPoint>(points))));
  path.closeSubpath();
  return path;
}

void DrawHardDrive(QPainter& painter, int mark) {
  FillBody(painter, Rect(1, 5, 13, 6), QColor(192, 192, 192), mark);
  painter.setPen(kOutline);
  painter.drawLine(2, 12, 14, 12);
  painter.fillRect(11, 8, 2, 1, QColor(0, 200, 0));
}

void DrawFloppy(QPainter& painter, int mark) {
  FillBody(painter, Polygon({{1, 1}, {13, 1}, {14, 2}, {14, 14}, {1, 14}}), QColor(96, 96, 112),
           mark);
  painter.fillRect(5, 2, 6, 4, QColor(208, 208, 208));
  painter.fillRect(8, 3, 1, 2, kOutline);
  painter.fillRect(4, 9, 8, 5, Qt::white);
}

void DrawDisc(QPainter& painter, int mark) {
  QPainterPath disc;
  disc.addEllipse(1, 1, 13, 13);
  QPainterPath hole;
  hole.addEllipse(6, 6, 3, 3);
  FillBody(painter, disc.subtracted(hole), QColor(216, 216, 232), mark);
}

void DrawClosedFolder(QPainter& painter, int mark) {
  const QColor yellow(240, 200, 64);
  FillBody(painter, Polygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 13}, {1, 13}}), yellow, mark);
  painter.setPen(kOutline);
  painter.drawLine(2, 6, 13, 6);
}

void DrawOpenFolder(QPainter& painter, int mark) {
  const QColor yellow(240, 200, 64);
  painter.setPen(kOutline);
  painter.fillRect(1, 3, 12, 10, QColor(200, 160, 48));
  painter.drawPolyline(QPolygon({{1, 13}, {1, 3}, {5, 3}, {6, 5}, {12, 5}, {12, 7}}));
  FillBody(painter, Polygon({{3, 7}, {15, 7}, {12, 13}, {1, 13}}), yellow, mark);
}

}  // namespace

QList<QPixmap> DrawTreeImages() {
  using Draw = void (*)(QPainter&, int);
  const Draw kinds[] = {DrawHardDrive, DrawFloppy, DrawDisc, DrawClosedFolder, DrawOpenFolder};
  QList<QPixmap> images;
  for (Draw draw : kinds) {
    for (int mark = kMarkNone; mark <= kMarkWholly; ++mark) {
      QPixmap image(kSize, kSize);
      image.fill(Qt::transparent);
      QPainter painter(&image);
      draw(painter, mark);
      painter.end();
      images.append(image);
    }
  }
  return images;
}

}  // namespace arkvale
