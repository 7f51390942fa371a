#pragma once
// The button bar (dialog 128): eleven image buttons in one row. The three connection buttons lie
// on top of each other at the left end and exactly one of them is visible.
#include <QWidget>
#include <vector>

#include "widgets/ImageButton.h"

namespace arkvale {

struct ButtonInfo {
  int control;
  int bitmap;
  bool blueMask;  // else green
  const char* tooltip;
  const char* hoverText;
  int command;  // 0: the button sends nothing
  int column;   // 0 for the three stacked connection buttons
};

// Dialog units of the bar's template to pixels, for the base units of its 8-point font.
int DialogUnitsX(int units);
int DialogUnitsY(int units);

class CButtonBar : public QWidget {
  Q_OBJECT
 public:
  explicit CButtonBar(QWidget* parent = nullptr);

  static const std::vector<ButtonInfo>& Buttons();
  CImageButton* button(int control) const;
  // The hover text of one of the bar's buttons; null for any other widget.
  const char* HoverText(const QObject* widget) const;

  QSize sizeHint() const override;

 signals:
  void Command(int commandId);

 private:
  std::vector<CImageButton*> buttons_;
};

}  // namespace arkvale
