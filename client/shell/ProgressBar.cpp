#include "client/shell/ProgressBar.h"

#include <QEvent>

#include "client/shell/StatusBar.h"

namespace arkvale {

CProgressBar::CProgressBar(CStatusBar* statusBar) : statusBar_(statusBar) {}

CProgressBar::~CProgressBar() { Destroy(); }

bool CProgressBar::Create(const QString& message, int size, int maximum, bool smooth, int pane) {
  if (statusBar_ == nullptr || control_ != nullptr) return false;
  control_ = new QProgressBar(statusBar_);
  control_->setObjectName(QStringLiteral("statusProgress"));
  control_->setTextVisible(false);
  if (!smooth) {
    // The stepped look: separate blocks instead of one smooth band.
    control_->setStyleSheet(
        QStringLiteral("QProgressBar { border: 1px solid gray; background: white; }"
                       "QProgressBar::chunk { background: #0a246a; width: 8px; margin: 1px; }"));
  }
  control_->setRange(0, maximum);
  control_->setValue(0);
  message_ = message;
  size_ = size;
  pane_ = pane;
  previousText_ = statusBar_->PaneText(pane);
  lastRect_ = QRect();
  statusBar_->installEventFilter(this);
  statusBar_->pane(pane)->installEventFilter(this);
  control_->show();
  control_->raise();
  Place();
  return true;
}

void CProgressBar::SetRange(int lower, int upper) {
  if (control_ != nullptr) control_->setRange(lower, upper);
}

void CProgressBar::Step() {
  if (control_ == nullptr) return;
  if (!control_->isVisible()) {
    control_->show();
    Place();
  }
  control_->setValue(std::min(control_->value() + 1, control_->maximum()));
}

void CProgressBar::Destroy() {
  if (control_ == nullptr) return;
  control_->hide();
  if (statusBar_ != nullptr) {
    statusBar_->removeEventFilter(this);
    statusBar_->pane(pane_)->removeEventFilter(this);
    statusBar_->SetPaneText(pane_, pane_ == 0 ? QString::fromLatin1(kIdleText) : previousText_);
    statusBar_->repaint();
  }
  control_->deleteLater();
  control_ = nullptr;
}

void CProgressBar::Place() {
  if (control_ == nullptr || statusBar_ == nullptr || !control_->isVisible()) return;
  statusBar_->SetPaneText(pane_, message_);
  const QFontMetrics metrics = statusBar_->fontMetrics();
  QRect r = statusBar_->PaneRect(pane_);
  int left = r.left();
  if (!message_.isEmpty()) {
    left += metrics.horizontalAdvance(message_) + 4 * metrics.horizontalAdvance(QLatin1Char(' '));
  }
  int right = r.right() - (100 - size_) * (r.right() - left) / 100;
  if (right < left) right = left;
  const int shrink = r.height() / 10;
  r.setLeft(left);
  r.setRight(right);
  r.setTop(r.top() + shrink);
  r.setBottom(r.bottom() - shrink);
  if (r != lastRect_) {
    control_->setGeometry(r);
    lastRect_ = r;
  }
}

bool CProgressBar::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
      event->type() == QEvent::LayoutRequest) {
    Place();
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace arkvale
