#include "client/scheduler/ScheduleDlg.h"

#include <QButtonGroup>
#include <QFileDialog>
#include <QShowEvent>

#include "client/resources/ResourceIds.h"
#include "client/selection/BackupSetCommands.h"
#include "client/settings/Prompt.h"
#include "platform/Paths.h"
#include "platform/WindowsNames.h"
#include "ui_ScheduleDlg.h"

namespace arkvale {

namespace {

// A value the list does not hold exactly ("7" for "07") leaves it without a choice, and so saves
// as an empty line.
void SelectEntry(QComboBox* list, const std::string& value) {
  list->setCurrentIndex(list->findText(QString::fromStdString(value), Qt::MatchExactly));
}

std::string Entry(const QComboBox* list) { return list->currentText().toStdString(); }

}  // namespace

CScheduleDlg::CScheduleDlg(const ScheduleSettings& settings, Prompt& prompt, QWidget* parent)
    : QDialog(parent),
      prompt_(prompt),
      ui_(std::make_unique<Ui::ScheduleDlg>()),
      initialFrequency_(settings.frequency) {
  ui_->setupUi(this);
  setObjectName(ids::IdName(ids::kScheduleDialog));
  const std::pair<QWidget*, int> named[] = {{ui_->enableBox, ids::kScheduleEnable},
                                            {ui_->dailyRadio, ids::kScheduleDaily},
                                            {ui_->weeklyRadio, ids::kScheduleWeekly},
                                            {ui_->monthlyRadio, ids::kScheduleMonthly},
                                            {ui_->backupSetEdit, ids::kScheduleBackupSet},
                                            {ui_->hourList, ids::kScheduleHour},
                                            {ui_->minuteList, ids::kScheduleMinute},
                                            {ui_->mondayBox, ids::kScheduleMonday},
                                            {ui_->tuesdayBox, ids::kScheduleMonday + 1},
                                            {ui_->wednesdayBox, ids::kScheduleMonday + 2},
                                            {ui_->thursdayBox, ids::kScheduleMonday + 3},
                                            {ui_->fridayBox, ids::kScheduleMonday + 4},
                                            {ui_->saturdayBox, ids::kScheduleMonday + 5},
                                            {ui_->sundayBox, ids::kScheduleMonday + 6},
                                            {ui_->dayOfMonthList, ids::kScheduleDayOfMonth},
                                            {ui_->browseButton, ids::kScheduleBrowse},
                                            {ui_->weekdayLabel, ids::kScheduleWeekdayLabel},
                                            {ui_->dayOfMonthLabel, ids::kScheduleDayOfMonthLabel},
                                            {ui_->okButton, ids::kIdOk},
                                            {ui_->cancelButton, ids::kIdCancel}};
  for (const auto& [widget, id] : named) widget->setObjectName(ids::IdName(id));

  auto* frequencies = new QButtonGroup(this);
  frequencies->addButton(ui_->dailyRadio, kDaily);
  frequencies->addButton(ui_->weeklyRadio, kWeekly);
  frequencies->addButton(ui_->monthlyRadio, kMonthly);
  connect(frequencies, &QButtonGroup::idClicked, this, &CScheduleDlg::ShowLayout);
  connect(ui_->browseButton, &QPushButton::clicked, this, &CScheduleDlg::OnBrowse);
  connect(ui_->okButton, &QPushButton::clicked, this, &CScheduleDlg::accept);
  connect(ui_->cancelButton, &QPushButton::clicked, this, &CScheduleDlg::reject);

  chooseFile_ = [this]() -> std::optional<std::string> {
    auto dialog = MakeBackupSetDialog({QStringLiteral("Choose a backup file set"), false}, this);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
      return std::nullopt;
    }
    return dialog->selectedFiles().first().toStdString();
  };

  ShowLayout(settings.frequency);
  ShowControls(settings);
}

CScheduleDlg::~CScheduleDlg() = default;

void CScheduleDlg::ShowControls(const ScheduleSettings& s) {
  ui_->enableBox->setChecked(s.enabled);
  ShowBackupSet(s.backupSetPath);
  SelectEntry(ui_->hourList, s.hour);
  SelectEntry(ui_->minuteList, s.minute);
  SelectEntry(ui_->dayOfMonthList, s.dayOfMonth);
  // An unknown frequency leaves no radio button checked.
  for (QAbstractButton* radio : std::initializer_list<QAbstractButton*>{
           ui_->dailyRadio, ui_->weeklyRadio, ui_->monthlyRadio}) {
    radio->setAutoExclusive(false);
    radio->setChecked(false);
    radio->setAutoExclusive(true);
  }
  if (s.frequency == kDaily) ui_->dailyRadio->setChecked(true);
  if (s.frequency == kWeekly) ui_->weeklyRadio->setChecked(true);
  if (s.frequency == kMonthly) ui_->monthlyRadio->setChecked(true);
  ui_->mondayBox->setChecked(s.monday);
  ui_->tuesdayBox->setChecked(s.tuesday);
  ui_->wednesdayBox->setChecked(s.wednesday);
  ui_->thursdayBox->setChecked(s.thursday);
  ui_->fridayBox->setChecked(s.friday);
  ui_->saturdayBox->setChecked(s.saturday);
  ui_->sundayBox->setChecked(s.sunday);
}

ScheduleSettings CScheduleDlg::settings() const {
  ScheduleSettings s;
  s.enabled = ui_->enableBox->isChecked();
  s.backupSetPath = BackupSet();
  s.hour = Entry(ui_->hourList);
  s.minute = Entry(ui_->minuteList);
  s.dayOfMonth = Entry(ui_->dayOfMonthList);
  s.frequency = ui_->dailyRadio->isChecked()     ? kDaily
                : ui_->weeklyRadio->isChecked()  ? kWeekly
                : ui_->monthlyRadio->isChecked() ? kMonthly
                                                 : -1;
  s.monday = ui_->mondayBox->isChecked();
  s.tuesday = ui_->tuesdayBox->isChecked();
  s.wednesday = ui_->wednesdayBox->isChecked();
  s.thursday = ui_->thursdayBox->isChecked();
  s.friday = ui_->fridayBox->isChecked();
  s.saturday = ui_->saturdayBox->isChecked();
  s.sunday = ui_->sundayBox->isChecked();
  return s;
}

void CScheduleDlg::ShowLayout(int frequency) {
  const bool known = frequency == kDaily || frequency == kWeekly || frequency == kMonthly;
  const bool weekdays = !known || frequency == kWeekly;
  const bool dayOfMonth = !known || frequency == kMonthly;
  for (QWidget* box : std::initializer_list<QWidget*>{
           ui_->mondayBox, ui_->tuesdayBox, ui_->wednesdayBox, ui_->thursdayBox, ui_->fridayBox,
           ui_->saturdayBox, ui_->sundayBox, ui_->weekdayLabel}) {
    box->setVisible(weekdays);
  }
  ui_->dayOfMonthList->setVisible(dayOfMonth);
  ui_->dayOfMonthLabel->setVisible(dayOfMonth);
}

void CScheduleDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  const bool known =
      initialFrequency_ == kDaily || initialFrequency_ == kWeekly || initialFrequency_ == kMonthly;
  if (known || unknownReported_) return;
  unknownReported_ = true;
  // Once the dialog is on the screen, so that the box has it as its owner.
  QMetaObject::invokeMethod(
      this,
      [this] {
        prompt_.ShowMessage(kUnknownRadioText, kApplicationTitle, Icon::None,
                            Owner::ScheduleDialog);
      },
      Qt::QueuedConnection);
}

void CScheduleDlg::OnBrowse() {
  std::optional<std::string> hostPath = chooseFile_();
  if (!hostPath) return;
  std::optional<std::string> path = plat::FromHostPath(*hostPath);
  if (!path) {
    prompt_.ShowMessage("Error opening " + *hostPath + " for reading", kCaption, Icon::Error,
                        Owner::ScheduleDialog);
    return;
  }
  if (!ScheduledSetPathFits(*path)) {
    prompt_.ShowMessage(SetPathTooLongText(), kCaption, Icon::Warning, Owner::ScheduleDialog);
    return;
  }
  ShowBackupSet(*path);
}

void CScheduleDlg::ShowBackupSet(const std::string& path) {
  backupSetPath_ = path;
  ui_->backupSetEdit->setText(QString::fromStdString(plat::HostNameOf(path)));
}

std::string CScheduleDlg::BackupSet() const {
  const std::string shown = ui_->backupSetEdit->text().toStdString();
  return shown == plat::HostNameOf(backupSetPath_) ? backupSetPath_ : shown;
}

void CScheduleDlg::accept() {
  const std::string typed = BackupSet();
  std::optional<std::string> path = ScheduledSetPath(typed);
  if (!path) {
    prompt_.ShowMessage("Error opening " + typed + " for reading", kCaption, Icon::Error,
                        Owner::ScheduleDialog);
    return;
  }
  if (*path != typed) ShowBackupSet(*path);
  if (ConfirmScheduleSettings(settings(), prompt_)) QDialog::accept();
}

}  // namespace arkvale
