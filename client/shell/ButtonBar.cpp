#include "client/shell/ButtonBar.h"

#include <algorithm>
#include <numeric>

#include "client/resources/Bitmaps.h"
#include "client/resources/ResourceIds.h"

namespace arkvale {
namespace {

constexpr int kBarWidth = 526;
constexpr int kBarHeight = 37;
constexpr int kButtonWidth = 47;
constexpr int kButtonHeight = 36;
constexpr int kFirstX = 5;
constexpr int kColumnStep = 48;
// Base units of the template font: 6 pixels per 4 horizontal units, 13 per 8 vertical units.
constexpr int kBaseX = 6;
constexpr int kBaseY = 13;
const QColor kHoverColour(242, 238, 230);

}  // namespace

int DialogUnitsX(int units) { return (units * kBaseX + 2) / 4; }
int DialogUnitsY(int units) { return (units * kBaseY + 4) / 8; }

const std::vector<ButtonInfo>& CButtonBar::Buttons() {
  using namespace ids;
  static const std::vector<ButtonInfo> buttons{
      {kButtonConnect, kBitmapConnect, true, "Connect to the backup server",
       "Connect to the backup server", kCommandConnect, 0},
      {kButtonConnecting, kBitmapConnecting, true, "Connecting",
       "Trying to connect to the backup server", 0, 0},
      {kButtonDisconnect, kBitmapDisconnect, true, "Disconnect from the backup server",
       "Disconnect from the backup server", kCommandDisconnect, 0},
      {kButtonBackup, kBitmapBackup, false, "Backup", "Backup selected files", kCommandBackup, 1},
      {kButtonDelete, kBitmapDelete, false, "Delete", "Delete backed up files from backup server",
       kCommandDelete, 3},
      {kButtonRestore, kBitmapRestore, false, "Restore", "Restore previously backed up files",
       kCommandRestore, 2},
      {kButtonSaveSet, kBitmapSaveSet, false, "Save selected files to backup set",
       "Save backup file set", kCommandSaveSet, 4},
      {kButtonLoadSet, kBitmapLoadSet, false, "Load a previously saved backup file set",
       "Load a backup file set", kCommandLoadSet, 5},
      {kButtonLogViewer, kBitmapLogViewer, false, "View logs", "View the log file",
       kCommandLogViewer, 6},
      {kButtonSchedule, kBitmapSchedule, false, "View or modify schedule settings",
       "Set schedule parameters", kCommandSchedule, 7},
      {kButtonConfigure, kBitmapConfigure, false, "View or modify configuration settings",
       "Set configuration parameters", kCommandConfigure, 8},
  };
  return buttons;
}

CButtonBar::CButtonBar(QWidget* parent) : QWidget(parent) {
  setObjectName(ids::IdName(ids::kMainResource));
  for (const ButtonInfo& info : Buttons()) {
    auto* button = new CImageButton(info.command, this);
    button->setObjectName(ids::IdName(info.control));
    const QColor mask = info.blueMask ? kMaskBlue : kMaskGreen;
    button->SetBitmap(ButtonBitmap(info.bitmap, mask), mask);
    button->SetHoverColour(kHoverColour);
    button->setToolTip(QString::fromLatin1(info.tooltip));
    // The caption is painted into the bitmap; a screen reader needs it as text. The tooltip
    // becomes the description by itself.
    button->setAccessibleName(ButtonCaption(info.bitmap));
    button->setGeometry(DialogUnitsX(kFirstX + info.column * kColumnStep), 0,
                        DialogUnitsX(kButtonWidth), DialogUnitsY(kButtonHeight));
    connect(button, &CImageButton::Command, this, [this](int command) {
      if (command != 0) emit Command(command);
    });
    buttons_.push_back(button);
  }
  // Tab follows the buttons as they sit, left to right, not the order of the table above.
  std::vector<std::size_t> byColumn(buttons_.size());
  std::iota(byColumn.begin(), byColumn.end(), std::size_t{0});
  std::stable_sort(byColumn.begin(), byColumn.end(), [](std::size_t a, std::size_t b) {
    return Buttons()[a].column < Buttons()[b].column;
  });
  for (std::size_t i = 1; i < byColumn.size(); ++i) {
    QWidget::setTabOrder(buttons_[byColumn[i - 1]], buttons_[byColumn[i]]);
  }
  setFixedHeight(sizeHint().height());
  // A narrow window cuts the bar's empty right end off, never a button.
  const int lastColumn = Buttons().back().column;
  setMinimumWidth(DialogUnitsX(kFirstX + lastColumn * kColumnStep + kButtonWidth + kFirstX));
}

QSize CButtonBar::sizeHint() const { return {DialogUnitsX(kBarWidth), DialogUnitsY(kBarHeight)}; }

CImageButton* CButtonBar::button(int control) const {
  const auto& infos = Buttons();
  for (std::size_t i = 0; i < infos.size(); ++i) {
    if (infos[i].control == control) return buttons_[i];
  }
  return nullptr;
}

const char* CButtonBar::HoverText(const QObject* widget) const {
  const auto& infos = Buttons();
  for (std::size_t i = 0; i < infos.size(); ++i) {
    if (buttons_[i] == widget) return infos[i].hoverText;
  }
  return nullptr;
}

}  // namespace arkvale
