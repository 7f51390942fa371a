#pragma once
// Helpers of the GUI tests: the program's one QApplication, waiting with the event loop running,
// and an answerer that records and closes every message box that comes up.
#include <QMessageBox>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

class QApplication;

namespace arkvale::test {

QApplication& GuiApplication();

// Runs the event loop until done() holds or timeoutMs passed; the last value of done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 5000);

struct SeenBox {
  std::string text;
  std::string title;
  QMessageBox::Icon icon;
  bool owned;  // had a parent window
  Qt::TextFormat format;
};

class BoxAnswerer : public QObject {
  Q_OBJECT
 public:
  BoxAnswerer();
  // The next box is answered with this button; without a queued answer: Yes, else OK.
  void QueueAnswer(QMessageBox::StandardButton button);
  const std::vector<SeenBox>& seen() const { return seen_; }
  std::vector<std::string> texts() const;

 private:
  void Poll();

  QTimer timer_;
  std::deque<QMessageBox::StandardButton> answers_;
  std::vector<SeenBox> seen_;
};

}  // namespace arkvale::test
