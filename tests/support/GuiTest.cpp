#include "tests/support/GuiTest.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

namespace arkvale::test {

QApplication& GuiApplication() {
  static int argc = 1;
  static char name[] = "arkvale-test";
  static char* argv[] = {name, nullptr};
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > timeoutMs) return done();
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
  return true;
}

BoxAnswerer::BoxAnswerer() {
  connect(&timer_, &QTimer::timeout, this, &BoxAnswerer::Poll);
  timer_.start(20);
}

void BoxAnswerer::QueueAnswer(QMessageBox::StandardButton button) { answers_.push_back(button); }

std::vector<std::string> BoxAnswerer::texts() const {
  std::vector<std::string> out;
  for (const SeenBox& box : seen_) out.push_back(box.text);
  return out;
}

void BoxAnswerer::Poll() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) continue;
    box->setProperty("answered", true);
    seen_.push_back({box->text().toStdString(), box->windowTitle().toStdString(), box->icon(),
                     box->parentWidget() != nullptr, box->textFormat()});
    QMessageBox::StandardButton answer = QMessageBox::Yes;
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    }
    QAbstractButton* button = box->button(answer);
    if (button == nullptr) button = box->button(QMessageBox::Ok);
    if (button == nullptr) button = box->button(QMessageBox::No);
    if (button != nullptr)
      QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
  }
}

}  // namespace arkvale::test
