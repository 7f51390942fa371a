// arkvale-icons DIR SIZE...: writes the program's icon into the hicolor theme below DIR, as
// DIR/scalable/apps/arkvale.svg and DIR/NxN/apps/arkvale.png for every size given.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

#include "client/resources/Bitmaps.h"

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc < 3) {
    std::fprintf(stderr, "usage: arkvale-icons DIR SIZE...\n");
    return 2;
  }
  const QString root = QString::fromLocal8Bit(argv[1]);
  const QString scalable = root + "/scalable/apps";
  QFile svg(scalable + "/arkvale.svg");
  if (!QDir().mkpath(scalable) || !svg.open(QIODevice::WriteOnly) ||
      svg.write(arkvale::ApplicationIconSvg()) < 0) {
    std::fprintf(stderr, "arkvale-icons: cannot write %s\n", qPrintable(svg.fileName()));
    return 1;
  }
  for (int i = 2; i < argc; ++i) {
    const int size = QString::fromLatin1(argv[i]).toInt();
    const QString dir = QString("%1/%2x%2/apps").arg(root).arg(size);
    if (size <= 0 || !QDir().mkpath(dir) ||
        !arkvale::ApplicationIconImage(size).save(dir + "/arkvale.png")) {
      std::fprintf(stderr, "arkvale-icons: cannot write the %s pixel icon\n", argv[i]);
      return 1;
    }
  }
  return 0;
}
