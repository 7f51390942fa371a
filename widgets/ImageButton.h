#pragma once
// A push button that shows a bitmap. One colour of the bitmap (the mask colour) is transparent;
// while the pointer is over the button its background is filled with the hover colour; pressed,
// the picture moves down and right by a pixel inside a sunken frame; with the focus it draws a
// dotted focus rectangle. A click sends the button's command.
#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPixmap>

namespace arkvale {

class CImageButton : public QAbstractButton {
  Q_OBJECT
 public:
  CImageButton(int commandId, QWidget* parent = nullptr);

  // Pixels of exactly maskColour become transparent.
  void SetBitmap(const QImage& bitmap, QColor maskColour);
  void SetHoverColour(QColor colour);
  int commandId() const { return commandId_; }
  bool hovered() const { return hovered_; }
  const QPixmap& pixmap() const { return pixmap_; }

  QSize sizeHint() const override;

  // The bitmap with every pixel of maskColour made transparent.
  static QPixmap MaskedPixmap(const QImage& bitmap, QColor maskColour);

 signals:
  void Command(int commandId);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int commandId_;
  QPixmap pixmap_;
  QColor hoverColour_;
  bool hovered_ = false;
};

}  // namespace arkvale
