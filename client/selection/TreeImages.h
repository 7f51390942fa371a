#pragma once
// The drive tree's pictures, 16 x 16 each, numbered 3 x kind + mark: a hard drive, a floppy, a
// disc, a closed and an open folder, each plain (nothing chosen), hatched (partly chosen) and
// solid blue (wholly chosen).
#include <QList>
#include <QPixmap>

namespace arkvale {

QList<QPixmap> DrawTreeImages();

}  // namespace arkvale
