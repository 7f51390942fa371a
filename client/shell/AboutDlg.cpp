#include "client/shell/AboutDlg.h"

#include "client/resources/Bitmaps.h"
#include "client/resources/ResourceIds.h"
#include "ui_AboutDlg.h"

namespace arkvale {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::AboutDlg>()) {
  ui_->setupUi(this);
  setObjectName(ids::IdName(ids::kAboutDialog));
  ui_->okButton->setObjectName(ids::IdName(ids::kIdOk));
  ui_->iconLabel->setPixmap(ApplicationIcon().pixmap(32, 32));
}

CAboutDlg::~CAboutDlg() = default;

}  // namespace arkvale
