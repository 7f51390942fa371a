#pragma once
// The main window's status bar: seven panes side by side. Pane 0 stretches and shows hover
// texts, progress messages and the idle text; panes 1, 3 and 5 are borderless labels; panes 2,
// 4 and 6 show the quota figures.
#include <QLabel>
#include <QStatusBar>
#include <array>

namespace arkvale {

inline constexpr const char* kIdleText = "For Help, press F1";

class CStatusBar : public QStatusBar {
  Q_OBJECT
 public:
  explicit CStatusBar(QWidget* parent = nullptr);

  void SetPaneText(int pane, const QString& text);
  QString PaneText(int pane) const;
  // The pane's rectangle in the status bar's coordinates.
  QRect PaneRect(int pane) const;
  QLabel* pane(int index) const { return panes_.at(index); }

 private:
  std::array<QLabel*, 7> panes_{};
};

}  // namespace arkvale
