#include "wizard/Pages.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "client/settings/ConfigFile.h"
#include "ui_KeyPage.h"
#include "ui_ServerPage.h"
#include "ui_StartupPage.h"
#include "ui_SummaryPage.h"
#include "ui_UserPage.h"
#include "widgets/ByteLengthValidator.h"
#include "wizard/resources/WizardIds.h"

namespace arkvale {

namespace ids = wizard_ids;

namespace {

// A screen reader names the field after its label ("Confirm\npassword:" reads as one line).
void Name(QWidget* field, int id, const QLabel* label) {
  field->setObjectName(ids::IdName(id));
  field->setAccessibleName(label->text().replace(QLatin1Char('\n'), QLatin1Char(' ')));
}

void Name(QCheckBox* box, int id) {
  box->setObjectName(ids::IdName(id));
  box->setAccessibleName(box->text());
}

// Longer values would not survive the configuration file's line buffers, or the main program's
// 100-byte fields. Both count bytes, which non-ASCII text has more of than characters.
void Limit(QLineEdit* edit, std::size_t length) {
  edit->setMaxLength(static_cast<int>(length));
  edit->setValidator(new CByteLengthValidator(static_cast<int>(length), edit));
}

QString Text(const std::string& value) { return QString::fromStdString(value); }
std::string Value(const QLineEdit* edit) { return edit->text().toStdString(); }
QString YesNo(bool value) { return QString::fromLatin1(value ? "yes" : "no"); }

}  // namespace

CWizardPage::CWizardPage(int dialogId, Prompt& prompt, QWidget* parent)
    : QDialog(parent), prompt_(prompt) {
  setObjectName(ids::IdName(dialogId));
}

void CWizardPage::WireButtons(QPushButton* next, QPushButton* back, QPushButton* quit) {
  next->setObjectName(ids::IdName(ids::kIdOk));
  quit->setObjectName(ids::IdName(ids::kIdCancel));
  connect(next, &QPushButton::clicked, this, &QDialog::accept);
  connect(quit, &QPushButton::clicked, this, &CWizardPage::reject);
  if (back != nullptr) {
    back->setObjectName(ids::IdName(ids::kBack));
    connect(back, &QPushButton::clicked, this, [this] {
      back_ = true;
      accept();
    });
  }
}

void CWizardPage::reject() {
  if (ConfirmCancelPage(prompt_)) done(kQuit);
}

CUserPage::CUserPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent)
    : CWizardPage(ids::kUserPage, prompt, parent), ui_(std::make_unique<Ui::UserPage>()) {
  ui_->setupUi(this);
  WireButtons(ui_->nextButton, nullptr, ui_->quitButton);
  Name(ui_->userNameEdit, ids::kUserName, ui_->userNameLabel);
  Name(ui_->passwordEdit, ids::kPassword, ui_->passwordLabel);
  Name(ui_->confirmEdit, ids::kConfirmPassword, ui_->confirmLabel);
  for (QLineEdit* edit : {ui_->userNameEdit, ui_->passwordEdit, ui_->confirmEdit})
    Limit(edit, kShortValueRoundTrip);
  ui_->userNameEdit->setText(Text(settings.userName));
  ui_->passwordEdit->setText(Text(settings.password));
  ui_->confirmEdit->setText(Text(settings.password));
}

CUserPage::~CUserPage() = default;
std::string CUserPage::userName() const { return Value(ui_->userNameEdit); }
std::string CUserPage::password() const { return Value(ui_->passwordEdit); }
std::string CUserPage::confirmation() const { return Value(ui_->confirmEdit); }

CServerPage::CServerPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent)
    : CWizardPage(ids::kServerPage, prompt, parent), ui_(std::make_unique<Ui::ServerPage>()) {
  ui_->setupUi(this);
  WireButtons(ui_->nextButton, ui_->backButton, ui_->quitButton);
  Name(ui_->serverNameEdit, ids::kServerName, ui_->serverNameLabel);
  Limit(ui_->serverNameEdit, kLongestServerName);
  ui_->serverNameEdit->setText(Text(settings.serverName));
}

CServerPage::~CServerPage() = default;
std::string CServerPage::serverName() const { return Value(ui_->serverNameEdit); }

CKeyPage::CKeyPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent)
    : CWizardPage(ids::kKeyPage, prompt, parent), ui_(std::make_unique<Ui::KeyPage>()) {
  ui_->setupUi(this);
  WireButtons(ui_->nextButton, ui_->backButton, ui_->quitButton);
  Name(ui_->keyEdit, ids::kEncryptionKey, ui_->keyLabel);
  Limit(ui_->keyEdit, kLongValueRoundTrip);
  ui_->keyEdit->setText(Text(settings.encryptionKey));
}

CKeyPage::~CKeyPage() = default;
std::string CKeyPage::key() const { return Value(ui_->keyEdit); }

CStartupPage::CStartupPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent)
    : CWizardPage(ids::kStartupPage, prompt, parent), ui_(std::make_unique<Ui::StartupPage>()) {
  ui_->setupUi(this);
  WireButtons(ui_->nextButton, ui_->backButton, ui_->quitButton);
  Name(ui_->runOnStartupCheck, ids::kRunOnStartup);
  Name(ui_->runMinimizedCheck, ids::kRunMinimized);
  Name(ui_->taskBarCheck, ids::kMinimizeToTaskBar);
  Name(ui_->trayCheck, ids::kMinimizeToTray);
  ui_->runOnStartupCheck->setChecked(settings.runOnStartup);
  ui_->runMinimizedCheck->setChecked(settings.runMinimized);
  ui_->taskBarCheck->setChecked(settings.minimizeToTaskBar);
  ui_->trayCheck->setChecked(settings.minimizeToTray);
}

CStartupPage::~CStartupPage() = default;

StartupChoices CStartupPage::choices() const {
  return {ui_->runOnStartupCheck->isChecked(), ui_->runMinimizedCheck->isChecked(),
          ui_->taskBarCheck->isChecked(), ui_->trayCheck->isChecked()};
}

CSummaryPage::CSummaryPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent)
    : CWizardPage(ids::kSummaryPage, prompt, parent), ui_(std::make_unique<Ui::SummaryPage>()) {
  ui_->setupUi(this);
  WireButtons(ui_->nextButton, ui_->backButton, ui_->quitButton);
  const struct {
    QLineEdit* edit;
    int id;
    const QLabel* label;
    QString text;
  } fields[] = {
      {ui_->userNameEdit, ids::kUserName, ui_->userNameLabel, Text(settings.userName)},
      {ui_->passwordEdit, ids::kSummaryPassword, ui_->passwordLabel, Text(settings.password)},
      {ui_->serverNameEdit, ids::kServerName, ui_->serverNameLabel, Text(settings.serverName)},
      {ui_->keyEdit, ids::kEncryptionKey, ui_->keyLabel, Text(settings.encryptionKey)},
      {ui_->runAtStartupEdit, ids::kSummaryRunAtStartup, ui_->runAtStartupLabel,
       YesNo(settings.runOnStartup)},
      {ui_->runMinimizedEdit, ids::kSummaryRunMinimized, ui_->runMinimizedLabel,
       YesNo(settings.runMinimized)},
      {ui_->taskBarIconEdit, ids::kSummaryTaskBarIcon, ui_->taskBarIconLabel,
       YesNo(settings.minimizeToTaskBar)},
      {ui_->trayIconEdit, ids::kSummaryTrayIcon, ui_->trayIconLabel,
       YesNo(settings.minimizeToTray)},
  };
  for (const auto& field : fields) {
    Name(field.edit, field.id, field.label);
    field.edit->setText(field.text);
  }
  Name(ui_->runNowCheck, ids::kRunArkvaleNow);
  ui_->runNowCheck->setChecked(false);
}

CSummaryPage::~CSummaryPage() = default;
bool CSummaryPage::runArkvaleNow() const { return ui_->runNowCheck->isChecked(); }

}  // namespace arkvale
