#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>

#include "tests/support/GuiTest.h"
#include "widgets/ImageButton.h"

namespace arkvale {
namespace {

const QColor kMask(0, 0, 255);
const QColor kHover(242, 238, 230);

// A 20 x 20 bitmap: mask colour around a red 10 x 10 square in the middle.
QImage SquareOnMask() {
  QImage image(20, 20, QImage::Format_RGB32);
  image.fill(kMask);
  for (int y = 5; y < 15; ++y)
    for (int x = 5; x < 15; ++x) image.setPixelColor(x, y, Qt::red);
  return image;
}

class ImageButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    button.SetBitmap(SquareOnMask(), kMask);
    button.SetHoverColour(kHover);
    button.resize(40, 40);
    button.show();
  }
  QImage Look() { return button.grab().toImage(); }
  void Hover(bool in) {
    if (in) {
      QEnterEvent enter(QPointF(20, 20), QPointF(20, 20), QPointF(20, 20));
      QApplication::sendEvent(&button, &enter);
    } else {
      QEvent leave(QEvent::Leave);
      QApplication::sendEvent(&button, &leave);
    }
  }

  QApplication& app = test::GuiApplication();
  CImageButton button{32776};
};

TEST_F(ImageButtonTest, MaskColourIsTransparentAndTheRestKept) {
  const QImage masked = button.pixmap().toImage();
  EXPECT_EQ(qAlpha(masked.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(masked.pixel(4, 10)), 0);
  EXPECT_EQ(masked.pixelColor(10, 10), QColor(Qt::red));
  // Only the exact colour is a mask: a neighbour of blue stays.
  QImage nearBlue(2, 1, QImage::Format_RGB32);
  nearBlue.setPixelColor(0, 0, QColor(0, 0, 254));
  nearBlue.setPixelColor(1, 0, kMask);
  const QImage out = CImageButton::MaskedPixmap(nearBlue, kMask).toImage();
  EXPECT_EQ(qAlpha(out.pixel(0, 0)), 255);
  EXPECT_EQ(qAlpha(out.pixel(1, 0)), 0);
}

TEST_F(ImageButtonTest, HoverFillsTheBackgroundAndLeavingClearsIt) {
  // Where the bitmap is transparent the background shows through.
  EXPECT_NE(Look().pixelColor(12, 12), kHover);
  EXPECT_NE(Look().pixelColor(12, 12), kMask);
  Hover(true);
  EXPECT_TRUE(button.hovered());
  EXPECT_EQ(Look().pixelColor(12, 12), kHover);
  EXPECT_EQ(Look().pixelColor(20, 20), QColor(Qt::red));
  Hover(false);
  EXPECT_FALSE(button.hovered());
  EXPECT_NE(Look().pixelColor(12, 12), kHover);
}

TEST_F(ImageButtonTest, PressedMovesThePictureByOnePixel) {
  // The square spans 15..24 when centred in 40 pixels.
  EXPECT_EQ(Look().pixelColor(15, 15), QColor(Qt::red));
  button.setDown(true);
  const QImage down = Look();
  EXPECT_NE(down.pixelColor(15, 15), QColor(Qt::red));
  EXPECT_EQ(down.pixelColor(16, 16), QColor(Qt::red));
  EXPECT_EQ(down.pixelColor(25, 25), QColor(Qt::red));
  button.setDown(false);
}

TEST_F(ImageButtonTest, ClickSendsTheCommandAndDisabledSendsNothing) {
  QSignalSpy spy(&button, &CImageButton::Command);
  QTest::mouseClick(&button, Qt::LeftButton);
  ASSERT_EQ(spy.count(), 1);
  EXPECT_EQ(spy.at(0).at(0).toInt(), 32776);
  button.setEnabled(false);
  QTest::mouseClick(&button, Qt::LeftButton);
  EXPECT_EQ(spy.count(), 1);
}

TEST_F(ImageButtonTest, FocusDrawsARectangle) {
  const QImage before = Look();
  button.setFocusPolicy(Qt::StrongFocus);
  button.activateWindow();
  button.setFocus();
  ASSERT_TRUE(test::WaitFor([&] { return button.hasFocus(); }));
  EXPECT_NE(Look(), before);
}

}  // namespace
}  // namespace arkvale
