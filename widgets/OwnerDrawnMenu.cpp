#include "widgets/OwnerDrawnMenu.h"

#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOptionMenuItem>

namespace arkvale {
namespace {

constexpr int kImageColumn = 24;
constexpr int kItemHeight = 22;
constexpr int kSeparatorHeight = 7;
constexpr int kTextGap = 8;

// Draws the items of one COwnerDrawnMenu; everything else is left to the application's style.
class MenuItemStyle : public QProxyStyle {
 public:
  explicit MenuItemStyle(COwnerDrawnMenu* menu) : menu_(menu) {}

  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget) const override {
    if (type != CT_MenuItem) return QProxyStyle::sizeFromContents(type, option, size, widget);
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (item == nullptr) return size;
    if (item->menuItemType == QStyleOptionMenuItem::Separator)
      return {size.width(), kSeparatorHeight};
    const QFontMetrics metrics(item->font);
    QString text = item->text;
    int shortcutWidth = 0;
    if (const qsizetype tab = text.indexOf('\t'); tab >= 0) {
      shortcutWidth = metrics.horizontalAdvance(text.mid(tab + 1)) + 3 * kTextGap;
      text.truncate(tab);
    }
    const int width = kImageColumn + kTextGap +
                      metrics.horizontalAdvance(QString(text).remove('&')) + shortcutWidth +
                      2 * kTextGap;
    return {width, std::max(kItemHeight, metrics.height() + 6)};
  }

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_FrameMenu) {
      painter->save();
      painter->setPen(option->palette.color(QPalette::Dark));
      painter->drawRect(option->rect.adjusted(0, 0, -1, -1));
      painter->restore();
      return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }

  int pixelMetric(PixelMetric metric, const QStyleOption* option,
                  const QWidget* widget) const override {
    if (metric == PM_MenuPanelWidth) return 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }

  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || item == nullptr) {
      QProxyStyle::drawControl(element, option, painter, widget);
      return;
    }
    const QRect r = item->rect;
    const QPalette& palette = item->palette;
    painter->save();
    painter->fillRect(r, palette.color(QPalette::Base));
    painter->fillRect(QRect(r.left(), r.top(), kImageColumn, r.height()),
                      palette.color(QPalette::Button));
    if (item->menuItemType == QStyleOptionMenuItem::Separator) {
      const int y = r.center().y();
      painter->setPen(palette.color(QPalette::Mid));
      painter->drawLine(r.left() + kImageColumn + kTextGap, y, r.right() - 2, y);
      painter->restore();
      return;
    }
    const bool enabled = item->state & State_Enabled;
    const bool selected = enabled && (item->state & State_Selected);
    if (selected) {
      const QRect band = r.adjusted(1, 0, -2, -1);
      painter->fillRect(band,
                        menu_ ? menu_->highlightColour() : palette.color(QPalette::Highlight));
      painter->setPen(palette.color(QPalette::Dark));
      painter->drawRect(band);
    }
    const QRect imageBox(r.left(), r.top(), kImageColumn, r.height());
    if (item->checkType != QStyleOptionMenuItem::NotCheckable && item->checked) {
      painter->setPen(QPen(palette.color(QPalette::Text), 2));
      const QPoint c = imageBox.center();
      painter->drawPolyline(QPolygon({c + QPoint(-5, 0), c + QPoint(-2, 3), c + QPoint(4, -4)}));
    } else if (!item->icon.isNull()) {
      const QPixmap image =
          item->icon.pixmap(QSize(21, 16), enabled ? QIcon::Normal : QIcon::Disabled);
      painter->drawPixmap(imageBox.center() - QPoint(image.width() / 2, image.height() / 2), image);
    }
    painter->setPen(palette.color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    painter->setFont(item->font);
    QString text = item->text;
    QString shortcut;
    if (const qsizetype tab = text.indexOf('\t'); tab >= 0) {
      shortcut = text.mid(tab + 1);
      text.truncate(tab);
    }
    const QRect textBox = r.adjusted(kImageColumn + kTextGap, 0, -kTextGap, 0);
    painter->drawText(textBox, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextShowMnemonic, text);
    if (!shortcut.isEmpty())
      painter->drawText(textBox, Qt::AlignVCenter | Qt::AlignRight, shortcut);
    if (item->menuItemType == QStyleOptionMenuItem::SubMenu) {
      QStyleOptionMenuItem arrow = *item;
      arrow.rect = QRect(r.right() - kTextGap - 6, r.top(), kTextGap, r.height());
      QProxyStyle::drawPrimitive(PE_IndicatorArrowRight, &arrow, painter, widget);
    }
    painter->restore();
  }

 private:
  QPointer<COwnerDrawnMenu> menu_;
};

}  // namespace

COwnerDrawnMenu::COwnerDrawnMenu(const QString& title, QWidget* parent)
    : QMenu(title, parent), highlight_(palette().color(QPalette::Highlight).lighter(170)) {
  auto* style = new MenuItemStyle(this);
  style->setParent(this);
  setStyle(style);
}

void COwnerDrawnMenu::SetHighlightColour(QColor colour) {
  highlight_ = colour;
  update();
}

}  // namespace arkvale
