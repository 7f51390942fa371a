#include "client/resources/Bitmaps.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "client/resources/ResourceIds.h"

namespace arkvale {
namespace {

constexpr int kBitmapWidth = 62;
constexpr int kBitmapHeight = 52;
// The face the bitmaps were drawn for; semi-transparent edges are blended into it.
const QColor kFace(236, 233, 216);

const QColor kDrum(70, 110, 170);
const QColor kPaper(255, 255, 250);
const QColor kInk(40, 40, 40);
const QColor kGo(30, 150, 40);
const QColor kStop(200, 30, 30);
const QColor kWait(230, 150, 20);

void DrawDrum(QPainter& p, QRectF box) {
  const qreal lid = box.height() / 4;
  QPainterPath body;
  body.moveTo(box.left(), box.top() + lid / 2);
  body.lineTo(box.left(), box.bottom() - lid / 2);
  body.arcTo(QRectF(box.left(), box.bottom() - lid, box.width(), lid), 180, 180);
  body.lineTo(box.right(), box.top() + lid / 2);
  body.closeSubpath();
  QLinearGradient shade(box.topLeft(), box.topRight());
  shade.setColorAt(0, kDrum.lighter(140));
  shade.setColorAt(1, kDrum.darker(130));
  p.setPen(QPen(kDrum.darker(180), 1));
  p.setBrush(shade);
  p.drawPath(body);
  p.setBrush(kDrum.lighter(170));
  p.drawEllipse(QRectF(box.left(), box.top(), box.width(), lid));
}

void DrawArrow(QPainter& p, QPointF from, QPointF to, QColor colour) {
  QLineF back(to, from);
  back.setLength(7);
  QLineF side1 = back.normalVector();
  side1.setLength(5);
  QLineF side2 = side1;
  side2.setAngle(side1.angle() + 180);
  p.setPen(QPen(colour, 3, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QLineF(from, back.p2()));
  p.setPen(QPen(colour.darker(140), 1));
  p.setBrush(colour);
  p.drawPolygon(QPolygonF(
      {to, back.p2() + (side1.p2() - side1.p1()), back.p2() + (side2.p2() - side2.p1())}));
}

void DrawPage(QPainter& p, QRectF box, int lines) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(box);
  p.setPen(QPen(QColor(120, 120, 140), 1));
  for (int i = 0; i < lines; ++i) {
    const qreal y = box.top() + 5 + i * 4;
    if (y > box.bottom() - 3) break;
    p.drawLine(QPointF(box.left() + 3, y), QPointF(box.right() - 3 - (i % 3) * 3, y));
  }
}

void DrawPlugPair(QPainter& p, qreal gap) {
  // A plug coming from the left and a socket from the right, gap pixels apart.
  const qreal mid = kBitmapWidth / 2.0;
  const qreal y = 20;
  p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(4, y), QPointF(mid - gap / 2 - 12, y));
  p.drawLine(QPointF(mid + gap / 2 + 12, y), QPointF(kBitmapWidth - 4, y));
  p.setPen(QPen(kInk, 1));
  p.setBrush(QColor(150, 150, 160));
  p.drawRoundedRect(QRectF(mid - gap / 2 - 12, y - 7, 10, 14), 2, 2);
  p.setBrush(QColor(190, 190, 200));
  p.drawRoundedRect(QRectF(mid + gap / 2 + 2, y - 8, 10, 16), 2, 2);
  p.setPen(QPen(QColor(200, 170, 40), 2));
  p.drawLine(QPointF(mid - gap / 2 - 2, y - 3), QPointF(mid - gap / 2 + 3, y - 3));
  p.drawLine(QPointF(mid - gap / 2 - 2, y + 3), QPointF(mid - gap / 2 + 3, y + 3));
}

void DrawGear(QPainter& p, QPointF centre, qreal radius) {
  QPainterPath gear;
  const int teeth = 8;
  QPolygonF outline;
  for (int i = 0; i < teeth * 4; ++i) {
    const qreal angle = i * 2 * M_PI / (teeth * 4);
    const qreal r = (i % 4 < 2) ? radius : radius * 0.75;
    outline << centre + QPointF(r * std::cos(angle), r * std::sin(angle));
  }
  gear.addPolygon(outline);
  gear.closeSubpath();
  gear.addEllipse(centre, radius * 0.3, radius * 0.3);
  gear.setFillRule(Qt::OddEvenFill);
  p.setPen(QPen(QColor(60, 60, 70), 1));
  p.setBrush(QColor(150, 155, 170));
  p.drawPath(gear);
}

void DrawPicture(QPainter& p, int id) {
  switch (id) {
    case ids::kBitmapConnect:
      DrawPlugPair(p, 12);
      DrawArrow(p, QPointF(20, 6), QPointF(42, 6), kGo);
      break;
    case ids::kBitmapConnecting:
      DrawPlugPair(p, 12);
      p.setPen(Qt::NoPen);
      p.setBrush(kWait);
      for (int i = 0; i < 3; ++i) p.drawEllipse(QPointF(23 + i * 8, 6), 2.5, 2.5);
      break;
    case ids::kBitmapDisconnect:
      DrawPlugPair(p, -4);
      p.setPen(QPen(kStop, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(24, 34), QPointF(38, 4));
      break;
    case ids::kBitmapBackup:
      DrawPage(p, QRectF(8, 14, 18, 22), 5);
      DrawDrum(p, QRectF(34, 4, 22, 30));
      DrawArrow(p, QPointF(20, 10), QPointF(34, 6), kGo);
      break;
    case ids::kBitmapRestore:
      DrawPage(p, QRectF(8, 14, 18, 22), 5);
      DrawDrum(p, QRectF(34, 4, 22, 30));
      DrawArrow(p, QPointF(36, 4), QPointF(20, 10), kGo);
      break;
    case ids::kBitmapDelete:
      DrawDrum(p, QRectF(20, 4, 22, 30));
      p.setPen(QPen(kStop, 4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(22, 12), QPointF(40, 32));
      p.drawLine(QPointF(40, 12), QPointF(22, 32));
      break;
    case ids::kBitmapSaveSet: {
      const QRectF disk(19, 4, 26, 30);
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(50, 60, 120));
      p.drawRoundedRect(disk, 2, 2);
      p.setBrush(QColor(200, 200, 205));
      p.drawRect(QRectF(25, 4, 14, 9));
      p.setBrush(kPaper);
      p.drawRect(QRectF(23, 19, 18, 13));
      break;
    }
    case ids::kBitmapLoadSet:
      p.setPen(QPen(QColor(120, 90, 10), 1));
      p.setBrush(QColor(240, 200, 80));
      p.drawPolygon(QPolygonF({{12, 10}, {22, 10}, {25, 13}, {46, 13}, {46, 34}, {12, 34}}));
      p.setBrush(QColor(250, 220, 120));
      p.drawPolygon(QPolygonF({{16, 18}, {52, 18}, {46, 34}, {12, 34}}));
      DrawArrow(p, QPointF(40, 2), QPointF(34, 16), kGo);
      break;
    case ids::kBitmapLogViewer:
      DrawPage(p, QRectF(16, 3, 24, 32), 7);
      p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(40, 28), QPointF(47, 35));
      p.setPen(QPen(kInk, 2));
      p.setBrush(QColor(200, 230, 255, 200));
      p.drawEllipse(QPointF(36, 24), 6, 6);
      break;
    case ids::kBitmapSchedule:
      p.setPen(QPen(kInk, 2));
      p.setBrush(kPaper);
      p.drawEllipse(QPointF(31, 19), 15, 15);
      p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(31, 19), QPointF(31, 9));
      p.drawLine(QPointF(31, 19), QPointF(38, 23));
      for (int h = 0; h < 12; ++h) {
        const qreal a = h * M_PI / 6;
        p.drawPoint(QPointF(31 + 12 * std::cos(a), 19 + 12 * std::sin(a)));
      }
      break;
    case ids::kBitmapConfigure:
      DrawGear(p, QPointF(26, 20), 14);
      DrawGear(p, QPointF(43, 28), 8);
      break;
    default:
      break;
  }
}

// Antialiased drawing is flattened onto the face colour; what stays mostly transparent becomes
// the mask colour, so the button sees a clean two-level mask.
QImage Flatten(const QImage& drawing, QColor maskColour) {
  QImage out(drawing.size(), QImage::Format_RGB32);
  const QRgb mask = maskColour.rgb();
  for (int y = 0; y < drawing.height(); ++y) {
    const auto* in = reinterpret_cast<const QRgb*>(drawing.constScanLine(y));
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < drawing.width(); ++x) {
      const int alpha = qAlpha(in[x]);
      if (alpha < 100) {
        line[x] = mask;
        continue;
      }
      // Premultiplied source over the face.
      const auto blend = [&](int src, int face) {
        return std::min(255, src + face * (255 - alpha) / 255);
      };
      QRgb pixel = qRgb(blend(qRed(in[x]), kFace.red()), blend(qGreen(in[x]), kFace.green()),
                        blend(qBlue(in[x]), kFace.blue()));
      if (pixel == mask) pixel = qRgb(qRed(pixel) + 1, qGreen(pixel), qBlue(pixel));
      line[x] = pixel;
    }
  }
  return out;
}

}  // namespace

QString ButtonCaption(int id) {
  switch (id) {
    case ids::kBitmapConnect:
      return QStringLiteral("Connect");
    case ids::kBitmapConnecting:
      return QStringLiteral("Connecting");
    case ids::kBitmapDisconnect:
      return QStringLiteral("Disconnect");
    case ids::kBitmapBackup:
      return QStringLiteral("Backup");
    case ids::kBitmapRestore:
      return QStringLiteral("Restore");
    case ids::kBitmapDelete:
      return QStringLiteral("Delete");
    case ids::kBitmapSaveSet:
      return QStringLiteral("Save Set");
    case ids::kBitmapLoadSet:
      return QStringLiteral("Load Set");
    case ids::kBitmapLogViewer:
      return QStringLiteral("Logs");
    case ids::kBitmapSchedule:
      return QStringLiteral("Schedule");
    case ids::kBitmapConfigure:
      return QStringLiteral("Configure");
    default:
      return {};
  }
}

QImage ButtonBitmap(int bitmapId, QColor maskColour) {
  const QString caption = ButtonCaption(bitmapId);
  if (caption.isEmpty()) return {};
  QImage drawing(kBitmapWidth, kBitmapHeight, QImage::Format_ARGB32_Premultiplied);
  drawing.fill(Qt::transparent);
  QPainter p(&drawing);
  p.setRenderHint(QPainter::Antialiasing);
  DrawPicture(p, bitmapId);
  QFont font = p.font();
  font.setPixelSize(11);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(QRect(0, 38, kBitmapWidth, 14), Qt::AlignCenter, caption);
  p.end();
  return Flatten(drawing, maskColour);
}

QPixmap MenuImage(int bitmapId) {
  if (ButtonCaption(bitmapId).isEmpty()) return {};
  QImage drawing(kBitmapWidth, kBitmapHeight, QImage::Format_ARGB32_Premultiplied);
  drawing.fill(Qt::transparent);
  QPainter p(&drawing);
  p.setRenderHint(QPainter::Antialiasing);
  DrawPicture(p, bitmapId);
  p.end();
  // The pictures sit in the upper part of the bitmap, above the caption.
  const QImage picture = drawing.copy(QRect(4, 0, kBitmapWidth - 8, 38));
  return QPixmap::fromImage(picture.scaled(21, 16, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

QImage ApplicationIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  DrawDrum(p, QRectF(6, 6, 20, 24));
  DrawArrow(p, QPointF(16, 31), QPointF(16, 1), kGo);
  p.end();
  return image;
}

QIcon ApplicationIcon() {
  QIcon icon;
  for (int size : {16, 32, 48}) icon.addPixmap(QPixmap::fromImage(ApplicationIconImage(size)));
  return icon;
}

QByteArray ApplicationIconSvg() {
  // The shapes of ApplicationIconImage on its 32-unit grid: the drum with its lid, the arrow up.
  auto name = [](const QColor& c) { return c.name().toLatin1(); };
  QByteArray svg =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" "
      "viewBox=\"0 0 32 32\">\n"
      " <defs><linearGradient id=\"shade\" x1=\"6\" y1=\"0\" x2=\"26\" y2=\"0\" "
      "gradientUnits=\"userSpaceOnUse\"><stop offset=\"0\" stop-color=\"%LIGHT%\"/>"
      "<stop offset=\"1\" stop-color=\"%DARK%\"/></linearGradient></defs>\n"
      " <path d=\"M6 9 L6 27 A10 3 0 0 0 26 27 L26 9 Z\" fill=\"url(#shade)\" "
      "stroke=\"%EDGE%\"/>\n"
      " <ellipse cx=\"16\" cy=\"9\" rx=\"10\" ry=\"3\" fill=\"%LID%\" stroke=\"%EDGE%\"/>\n"
      " <line x1=\"16\" y1=\"31\" x2=\"16\" y2=\"8\" stroke=\"%GO%\" stroke-width=\"3\"/>\n"
      " <polygon points=\"16,1 21,8 11,8\" fill=\"%GO%\" stroke=\"%GOEDGE%\"/>\n"
      "</svg>\n";
  svg.replace("%LIGHT%", name(kDrum.lighter(140)));
  svg.replace("%DARK%", name(kDrum.darker(130)));
  svg.replace("%EDGE%", name(kDrum.darker(180)));
  svg.replace("%LID%", name(kDrum.lighter(170)));
  svg.replace("%GOEDGE%", name(kGo.darker(140)));
  svg.replace("%GO%", name(kGo));
  return svg;
}

}  // namespace arkvale
