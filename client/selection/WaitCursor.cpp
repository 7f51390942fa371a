#include "client/selection/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace arkvale {

CWaitCursor::CWaitCursor() {
  QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
  // The work that follows keeps the event loop from running; hand the cursor to the window
  // system now.
  QGuiApplication::sync();
}

CWaitCursor::~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace arkvale
