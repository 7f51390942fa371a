#include "tests/client/selection/GuiTestApp.h"

#include <QApplication>

namespace arkvale::test {

QApplication& GuiTestApp() {
  static int argc = 1;
  static char name[] = "arkvale-test";
  static char* argv[] = {name, nullptr};
  // Never destroyed: Qt's own clean-up at exit runs after the statics it would need.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

}  // namespace arkvale::test
