#include "widgets/ImageButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace arkvale {

CImageButton::CImageButton(int commandId, QWidget* parent)
    : QAbstractButton(parent), commandId_(commandId) {
  setFocusPolicy(Qt::TabFocus);
  setAttribute(Qt::WA_Hover);
  connect(this, &QAbstractButton::clicked, this, [this] { emit Command(commandId_); });
}

QPixmap CImageButton::MaskedPixmap(const QImage& bitmap, QColor maskColour) {
  QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
  const QRgb mask = maskColour.rgb() | 0xff000000u;
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      if ((line[x] | 0xff000000u) == mask) line[x] = 0;
    }
  }
  return QPixmap::fromImage(image);
}

void CImageButton::SetBitmap(const QImage& bitmap, QColor maskColour) {
  pixmap_ = MaskedPixmap(bitmap, maskColour);
  updateGeometry();
  update();
}

void CImageButton::SetHoverColour(QColor colour) {
  hoverColour_ = colour;
  update();
}

QSize CImageButton::sizeHint() const { return pixmap_.size() + QSize(6, 6); }

void CImageButton::enterEvent(QEnterEvent* event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CImageButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect frame = rect();
  const bool down = isDown();
  if ((hovered_ || down) && hoverColour_.isValid()) painter.fillRect(frame, hoverColour_);
  if (hovered_ || down) {
    // A raised frame under the pointer, a sunken one while pressed.
    const QColor light = palette().color(QPalette::Light);
    const QColor dark = palette().color(QPalette::Dark);
    painter.setPen(down ? dark : light);
    painter.drawLine(frame.topLeft(), frame.topRight());
    painter.drawLine(frame.topLeft(), frame.bottomLeft());
    painter.setPen(down ? light : dark);
    painter.drawLine(frame.bottomLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomRight());
  }
  if (!pixmap_.isNull()) {
    QPoint origin((width() - pixmap_.width()) / 2, (height() - pixmap_.height()) / 2);
    if (down) origin += QPoint(1, 1);
    if (isEnabled()) {
      painter.drawPixmap(origin, pixmap_);
    } else {
      painter.setOpacity(0.35);
      painter.drawPixmap(origin, pixmap_);
      painter.setOpacity(1.0);
    }
  }
  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = frame.adjusted(3, 3, -3, -3);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

}  // namespace arkvale
