#include "wizard/resources/Pictures.h"

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace arkvale {

namespace {

const QColor kInk(13, 44, 82);
const QColor kPaper(232, 238, 246);
const QColor kGo(46, 155, 60);

// A storage drum with an upward arrow, in a 48 x 48 box.
void DrawEmblem(QPainter& p) {
  p.setPen(QPen(kInk, 2));
  p.setBrush(kPaper);
  QPainterPath drum;
  drum.moveTo(10, 16);
  drum.lineTo(10, 40);
  drum.arcTo(QRectF(10, 35, 28, 10), 180, 180);
  drum.lineTo(38, 16);
  drum.closeSubpath();
  p.drawPath(drum);
  p.drawEllipse(QRectF(10, 11, 28, 10));
  p.setPen(Qt::NoPen);
  p.setBrush(kGo);
  const QPointF arrow[] = {{24, 20}, {34, 30}, {28, 30}, {28, 39}, {20, 39}, {20, 30}, {14, 30}};
  p.drawPolygon(arrow, 7);
}

}  // namespace

QPixmap WelcomePicture() {
  QImage image(150, 280, QImage::Format_ARGB32_Premultiplied);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 280);
  sky.setColorAt(0, QColor(22, 70, 127));
  sky.setColorAt(1, QColor(121, 176, 227));
  p.fillRect(image.rect(), sky);
  p.translate(3, 60);
  p.scale(3, 3);
  DrawEmblem(p);
  p.end();
  return QPixmap::fromImage(image);
}

QIcon WizardIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 48.0, size / 48.0);
    DrawEmblem(p);
    p.end();
    icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

}  // namespace arkvale
