#pragma once
// A progress bar inside one pane of the main window's status bar, after a message written into
// the same pane. It keeps its share of the pane when the window is resized, and gives the pane
// its text back when it is destroyed.
#include <QObject>
#include <QPointer>
#include <QProgressBar>
#include <QRect>

namespace arkvale {

class CStatusBar;

class CProgressBar : public QObject {
  Q_OBJECT
 public:
  explicit CProgressBar(CStatusBar* statusBar);
  ~CProgressBar() override;

  // size: the percentage of the pane's free width (after the message) the bar takes.
  bool Create(const QString& message, int size = 100, int maximum = 100, bool smooth = false,
              int pane = 0);
  void SetRange(int lower, int upper);
  void Step();
  void Destroy();

  QProgressBar* control() const { return control_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Place();

  QPointer<CStatusBar> statusBar_;
  QPointer<QProgressBar> control_;
  QString message_;
  int size_ = 100;
  int pane_ = 0;
  QString previousText_;
  QRect lastRect_;
};

}  // namespace arkvale
