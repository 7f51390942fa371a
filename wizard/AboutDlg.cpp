#include "wizard/AboutDlg.h"

#include "ui_AboutDlg.h"
#include "wizard/resources/Pictures.h"
#include "wizard/resources/WizardIds.h"

namespace arkvale::setwell {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::AboutDlg>()) {
  ui_->setupUi(this);
  setObjectName(wizard_ids::IdName(wizard_ids::kAboutDialog));
  ui_->okButton->setObjectName(wizard_ids::IdName(wizard_ids::kIdOk));
  ui_->iconLabel->setPixmap(WizardIcon().pixmap(32, 32));
  connect(ui_->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

}  // namespace arkvale::setwell
