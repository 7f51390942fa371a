// The Schedule Backups dialog: its defaults, the three layouts, Browse, OK with its questions,
// and an accessible name on every control.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "client/resources/ResourceIds.h"
#include "client/scheduler/ScheduleDlg.h"
#include "platform/Paths.h"
#include "tests/support/GuiTest.h"
#include "tests/support/RecordingPrompt.h"
#include "tests/support/TempWorld.h"

namespace arkvale::test {
namespace {

class ScheduleDlgTest : public ::testing::Test {
 protected:
  template <typename T>
  T* Control(CScheduleDlg& dialog, int id) {
    T* widget = dialog.findChild<T*>(ids::IdName(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }
  bool Shows(CScheduleDlg& dialog, int id) {
    return Control<QWidget>(dialog, id)->isVisibleTo(&dialog);
  }
  // Weekday boxes and their label, day-of-month list and its label.
  std::pair<bool, bool> Layout(CScheduleDlg& dialog) {
    bool weekdays = Shows(dialog, ids::kScheduleWeekdayLabel);
    for (int id = ids::kScheduleMonday; id <= ids::kScheduleMonday + 6; ++id) {
      EXPECT_EQ(Shows(dialog, id), weekdays) << id;
    }
    bool dayOfMonth = Shows(dialog, ids::kScheduleDayOfMonth);
    EXPECT_EQ(Shows(dialog, ids::kScheduleDayOfMonthLabel), dayOfMonth);
    return {weekdays, dayOfMonth};
  }

  QApplication& app = GuiApplication();
  TempWorld world;
  RecordingPrompt prompt;
};

TEST_F(ScheduleDlgTest, DefaultsOpenDailyAtOneWithTheDayOfMonthOneAndSwitchLayouts) {
  CScheduleDlg dialog(ScheduleSettings{}, prompt);
  EXPECT_EQ(dialog.windowTitle(), "Schedule Backups");
  EXPECT_FALSE(Control<QCheckBox>(dialog, ids::kScheduleEnable)->isChecked());
  EXPECT_TRUE(Control<QRadioButton>(dialog, ids::kScheduleDaily)->isChecked());
  EXPECT_EQ(Control<QComboBox>(dialog, ids::kScheduleHour)->count(), 24);
  EXPECT_EQ(Control<QComboBox>(dialog, ids::kScheduleMinute)->count(), 12);
  EXPECT_EQ(Control<QComboBox>(dialog, ids::kScheduleDayOfMonth)->count(), 31);
  EXPECT_EQ(dialog.settings(), ScheduleSettings{});
  EXPECT_EQ(Layout(dialog), std::make_pair(false, false));

  Control<QRadioButton>(dialog, ids::kScheduleWeekly)->click();
  EXPECT_EQ(Layout(dialog), std::make_pair(true, false));
  Control<QRadioButton>(dialog, ids::kScheduleMonthly)->click();
  EXPECT_EQ(Layout(dialog), std::make_pair(false, true));
  EXPECT_EQ(dialog.settings().frequency, kMonthly);
  Control<QRadioButton>(dialog, ids::kScheduleDaily)->click();
  EXPECT_EQ(Layout(dialog), std::make_pair(false, false));
}

TEST_F(ScheduleDlgTest, UnknownFrequencyShowsEveryControlAndSaysSo) {
  ScheduleSettings s;
  s.frequency = 5;
  CScheduleDlg dialog(s, prompt);
  dialog.show();
  ASSERT_TRUE(WaitFor([&] { return !prompt.texts().empty(); }));
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kUnknownRadioText});
  EXPECT_EQ(prompt.boxes()[0].owner, Owner::ScheduleDialog);
  EXPECT_EQ(Layout(dialog), std::make_pair(true, true));
}

TEST_F(ScheduleDlgTest, OkAfterTwoYesAnswersTakesTheControlsAndNoKeepsTheDialog) {
  CScheduleDlg dialog(ScheduleSettings{}, prompt);
  dialog.show();
  Control<QCheckBox>(dialog, ids::kScheduleEnable)->setChecked(true);
  Control<QRadioButton>(dialog, ids::kScheduleWeekly)->click();
  prompt.QueueAnswer(false);
  Control<QPushButton>(dialog, ids::kIdOk)->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{kNoBackupSetQuestion});

  Control<QCheckBox>(dialog, ids::kScheduleMonday + 1)->setChecked(true);
  Control<QCheckBox>(dialog, ids::kScheduleMonday + 4)->setChecked(true);
  Control<QComboBox>(dialog, ids::kScheduleHour)->setCurrentText("23");
  Control<QPushButton>(dialog, ids::kIdOk)->click();  // Yes to the backup set question
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  const ScheduleSettings s = dialog.settings();
  EXPECT_EQ(FormatScheduleFile(s), "1\n\n23\n00\n01\n1\n1\n0\n0\n0\n0\n1\n0\n");
}

TEST_F(ScheduleDlgTest, BrowseTakesTheWindowsPathOfTheChosenFileAndCancelKeepsIt) {
  CScheduleDlg dialog(ScheduleSettings{}, prompt);
  const std::string host = plat::ToHostPath("C:\\sets\\mine.bak").value_or("");
  dialog.SetFileChooser([&] { return std::optional<std::string>(host); });
  dialog.OnBrowse();
  EXPECT_EQ(dialog.settings().backupSetPath, "C:\\sets\\mine.bak");
  dialog.SetFileChooser([] { return std::optional<std::string>(); });
  dialog.OnBrowse();
  EXPECT_EQ(dialog.settings().backupSetPath, "C:\\sets\\mine.bak");

  const std::string tooLong =
      plat::ToHostPath("C:\\" + std::string(kLongestScheduledSetPath, 'x')).value_or("");
  dialog.SetFileChooser([&] { return std::optional<std::string>(tooLong); });
  dialog.OnBrowse();
  EXPECT_EQ(dialog.settings().backupSetPath, "C:\\sets\\mine.bak");
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{SetPathTooLongText()});
}

TEST_F(ScheduleDlgTest, HandEditedValuesSelectOnlyExactEntries) {
  ScheduleSettings s;
  s.hour = "07";
  s.minute = "5";
  s.dayOfMonth = "1";
  CScheduleDlg dialog(s, prompt);
  EXPECT_EQ(dialog.settings().hour, "07");
  EXPECT_EQ(dialog.settings().minute, "");
  EXPECT_EQ(dialog.settings().dayOfMonth, "");
}

TEST_F(ScheduleDlgTest, BrowseShowsHostCharactersAndKeepsTheWindowsForm) {
  CScheduleDlg dialog(ScheduleSettings{}, prompt);
  const std::string host = world.driveC() + "/sets/a:b.bak";
  dialog.SetFileChooser([&] { return std::optional<std::string>(host); });
  dialog.OnBrowse();
  auto* edit = Control<QLineEdit>(dialog, ids::kScheduleBackupSet);
  EXPECT_EQ(edit->text().toStdString(), "C:\\sets\\a:b.bak");
  EXPECT_EQ(dialog.settings().backupSetPath,
            "C:\\sets\\a\xEF\x80\xBA"
            "b.bak");
}

TEST_F(ScheduleDlgTest, OkTakesATypedHostPathInItsWindowsFormAndRefusesAMissingSet) {
  TempWorld::WriteHostFile(world.driveC() + "/sets/daily.bak", "0\n0\n");
  CScheduleDlg dialog(ScheduleSettings{}, prompt);
  dialog.show();
  Control<QCheckBox>(dialog, ids::kScheduleEnable)->setChecked(true);
  auto* edit = Control<QLineEdit>(dialog, ids::kScheduleBackupSet);
  edit->setText("C:\\sets\\absent.bak");
  Control<QPushButton>(dialog, ids::kIdOk)->click();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(prompt.texts(), std::vector<std::string>{MissingSetText("C:\\sets\\absent.bak")});

  edit->setText(QString::fromStdString(world.driveC() + "/sets/daily.bak"));
  Control<QPushButton>(dialog, ids::kIdOk)->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.settings().backupSetPath, "C:\\sets\\daily.bak");
  EXPECT_EQ(edit->text(), "C:\\sets\\daily.bak");
}

TEST_F(ScheduleDlgTest, EveryControlHasAnAccessibleName) {
  ScheduleSettings s;
  s.frequency = 5;  // every control visible
  CScheduleDlg dialog(s, prompt);
  dialog.show();
  int controls = 0;
  for (QWidget* widget : dialog.findChildren<QWidget*>()) {
    if (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(&dialog)) continue;
    if (widget->parentWidget() != &dialog) continue;  // parts of a control
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(accessible, nullptr);
    EXPECT_FALSE(accessible->text(QAccessible::Name).isEmpty())
        << widget->objectName().toStdString();
    ++controls;
  }
  EXPECT_EQ(controls, 18);
}

}  // namespace
}  // namespace arkvale::test
