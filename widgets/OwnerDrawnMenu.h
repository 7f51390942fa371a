#pragma once
// A menu that draws its own items: a shaded column holding each item's image, the text and
// its shortcut, and the item under the pointer filled with the highlight colour inside a frame.
#include <QColor>
#include <QMenu>

namespace arkvale {

class COwnerDrawnMenu : public QMenu {
  Q_OBJECT
 public:
  explicit COwnerDrawnMenu(const QString& title, QWidget* parent = nullptr);

  void SetHighlightColour(QColor colour);
  QColor highlightColour() const { return highlight_; }

 private:
  QColor highlight_;
};

}  // namespace arkvale
