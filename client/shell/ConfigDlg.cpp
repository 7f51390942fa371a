#include "client/shell/ConfigDlg.h"

#include "client/resources/ResourceIds.h"
#include "client/settings/Prompt.h"
#include "ui_ConfigDlg.h"
#include "widgets/ByteLengthValidator.h"

namespace arkvale {

CConfigDlg::CConfigDlg(const ClassicConfig& values, Prompt& prompt, Save save, QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      save_(std::move(save)),
      ui_(std::make_unique<Ui::ConfigDlg>()) {
  ui_->setupUi(this);
  setObjectName(ids::IdName(ids::kConfigDialog));
  ui_->userEdit->setObjectName(ids::IdName(ids::kConfigUser));
  ui_->passwordEdit->setObjectName(ids::IdName(ids::kConfigPassword));
  ui_->serverEdit->setObjectName(ids::IdName(ids::kConfigServer));
  ui_->keyEdit->setObjectName(ids::IdName(ids::kConfigKey));
  ui_->logCountEdit->setObjectName(ids::IdName(ids::kConfigLogCount));
  ui_->trayIconCheck->setObjectName(ids::IdName(ids::kConfigTrayIcon));
  ui_->minimizedWindowCheck->setObjectName(ids::IdName(ids::kConfigMinimizedWindow));
  ui_->runOnStartupCheck->setObjectName(ids::IdName(ids::kConfigRunOnStartup));
  ui_->runMinimizedCheck->setObjectName(ids::IdName(ids::kConfigRunMinimized));
  ui_->okButton->setObjectName(ids::IdName(ids::kIdOk));
  ui_->cancelButton->setObjectName(ids::IdName(ids::kIdCancel));
  // A longer value would not read back whole: it fills the reader's line buffer, and what is left
  // of its line is read as the next setting. The document holds the server name in a 100-byte
  // field. Buffer and field count bytes, so the limit is in bytes as well as in characters.
  for (auto [edit, limit] : {std::pair{ui_->userEdit, kShortValueRoundTrip},
                             std::pair{ui_->passwordEdit, kShortValueRoundTrip},
                             std::pair{ui_->serverEdit, kLongestServerName}}) {
    edit->setMaxLength(static_cast<int>(limit));
    edit->setValidator(new CByteLengthValidator(static_cast<int>(limit), edit));
  }
  ui_->keyEdit->setMaxLength(static_cast<int>(kLongValueRoundTrip));
  ui_->keyEdit->setValidator(
      new CByteLengthValidator(static_cast<int>(kLongValueRoundTrip), ui_->keyEdit));
  connect(ui_->okButton, &QPushButton::clicked, this, &CConfigDlg::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &CConfigDlg::reject);
  Show(values);
}

CConfigDlg::~CConfigDlg() = default;

void CConfigDlg::Show(const ClassicConfig& values) {
  const ConfigSettings& s = values.settings;
  ui_->userEdit->setText(QString::fromStdString(s.userName));
  ui_->passwordEdit->setText(QString::fromStdString(s.password));
  ui_->serverEdit->setText(QString::fromStdString(s.serverName));
  ui_->keyEdit->setText(QString::fromStdString(s.encryptionKey));
  ui_->logCountEdit->setText(QString::number(s.logFilesToKeep));
  ui_->trayIconCheck->setChecked(s.trayIcon != 0);
  ui_->minimizedWindowCheck->setChecked(s.minimizedWindow != 0);
  ui_->runOnStartupCheck->setChecked(s.runOnStartup != 0);
  ui_->runMinimizedCheck->setChecked(values.runMinimized != 0);
}

void CConfigDlg::accept() {
  const LogCountCheck count = CheckLogCount(ui_->logCountEdit->text().toStdString());
  if (!count.value) {
    prompt_.ShowMessage(count.refusal, kApplicationTitle, Icon::Warning, Owner::ConfigDialog);
    ui_->logCountEdit->setFocus();
    ui_->logCountEdit->selectAll();
    return;
  }
  ClassicConfig values;
  ConfigSettings& s = values.settings;
  s.logFilesToKeep = *count.value;
  s.password = ui_->passwordEdit->text().toStdString();
  s.userName = ui_->userEdit->text().toStdString();
  s.serverName = ui_->serverEdit->text().toStdString();
  s.encryptionKey = ui_->keyEdit->text().toStdString();
  s.trayIcon = ui_->trayIconCheck->isChecked() ? 1 : 0;
  s.minimizedWindow = ui_->minimizedWindowCheck->isChecked() ? 1 : 0;
  s.runOnStartup = ui_->runOnStartupCheck->isChecked() ? 1 : 0;
  values.runMinimized = ui_->runMinimizedCheck->isChecked() ? 1 : 0;
  if (save_ && !save_(values)) return;
  QDialog::accept();
}

}  // namespace arkvale
