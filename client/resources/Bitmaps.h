#pragma once
// The pictures of the main program, drawn at run time: the button bar's bitmaps (a picture on a
// pure mask colour that the button makes transparent) and icon 128.
#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace arkvale {

inline const QColor kMaskBlue(0, 0, 255);
inline const QColor kMaskGreen(0, 255, 0);

// Bitmap 139, 175, 172, 146, 166, 150, 142, 177, 154, 160 or 163, drawn on maskColour; a null
// image for any other id.
QImage ButtonBitmap(int bitmapId, QColor maskColour);

// The caption painted into a button bitmap, which is also the button's accessible name; "" for
// any other id.
QString ButtonCaption(int bitmapId);

// The picture of a bitmap without its caption, on a transparent ground, for a menu item.
QPixmap MenuImage(int bitmapId);

// Icon 128: the window's and the notification area's icon.
QIcon ApplicationIcon();
// Icon 128 drawn at any size, and as a scalable picture, for the desktop's icon theme.
QImage ApplicationIconImage(int size);
QByteArray ApplicationIconSvg();

}  // namespace arkvale
