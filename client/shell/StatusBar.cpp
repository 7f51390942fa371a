#include "client/shell/StatusBar.h"

#include "client/resources/ResourceIds.h"

namespace arkvale {
namespace {

struct PaneInfo {
  int width;  // 0: stretches
  bool border;
  const char* initialText;
  // The widest text the pane is meant to hold; the pane grows to it when the host's font is
  // wider than the one the widths were chosen for.
  const char* widestText;
};

constexpr std::array<PaneInfo, 7> kPanes{{
    {0, true, "stam", ""},
    {70, false, "Current usage", "Current usage"},
    {50, true, "", "    1.00 MB "},
    {20, false, "Limit", "Limit"},
    {50, true, "", "    1.00 MB "},
    {70, false, "Percent used", "Percent used"},
    {50, true, "", "100"},
}};

constexpr int kTextPadding = 6;

}  // namespace

CStatusBar::CStatusBar(QWidget* parent) : QStatusBar(parent) {
  setObjectName(QStringLiteral("statusBar"));
  // The panes draw their own borders.
  setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
  for (int i = 0; i < ids::kPaneCount; ++i) {
    const PaneInfo& info = kPanes[i];
    auto* label = new QLabel(QString::fromLatin1(info.initialText), this);
    label->setObjectName(ids::PaneName(i));
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(info.border ? QFrame::Panel | QFrame::Sunken : QFrame::NoFrame);
    label->setIndent(2);
    if (info.width == 0) {
      label->setMinimumWidth(1);
      label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
      addWidget(label, 1);
    } else {
      const int fit = label->fontMetrics().horizontalAdvance(QString::fromLatin1(info.widestText)) +
                      kTextPadding + 2 * label->frameWidth();
      label->setFixedWidth(std::max(info.width, fit));
      addPermanentWidget(label);
    }
    panes_[i] = label;
  }
}

void CStatusBar::SetPaneText(int pane, const QString& text) {
  panes_.at(pane)->setText(text);
  panes_.at(pane)->repaint();
}

QString CStatusBar::PaneText(int pane) const { return panes_.at(pane)->text(); }

QRect CStatusBar::PaneRect(int pane) const { return panes_.at(pane)->geometry(); }

}  // namespace arkvale
