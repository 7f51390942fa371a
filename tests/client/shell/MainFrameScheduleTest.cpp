// The main window's Schedule command and its schedule check on timer 3.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/scheduler/ScheduleCheck.h"
#include "client/scheduler/ScheduleFile.h"
#include "client/scheduler/ScheduleLock.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/MainFrame.h"
#include "platform/Files.h"
#include "platform/Install.h"
#include "tests/client/shell/ShellWorld.h"
#include "tests/support/LogRecords.h"
#include "tests/support/ReferenceServer.h"

namespace arkvale {
namespace {

ConfigSettings Account() {
  ConfigSettings s;
  s.userName = "ann";
  s.password = "secret";
  s.encryptionKey = "a key of our own";
  s.serverName = "backup";
  return s;
}

class MainFrameScheduleTest : public ::testing::Test {
 protected:
  void Start(const ConfigSettings& settings = Account()) {
    frame.reset();
    doc.reset();
    w.WriteConfig(settings);
    doc = std::make_unique<CArkvaleDoc>(w.prompt);
    frame = std::make_unique<CMainFrame>(*doc);
  }
  // Runs the Schedule command; act gets the open dialog and closes it.
  void Schedule(const std::function<void(QDialog&)>& act) {
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->objectName(), ids::IdName(ids::kScheduleDialog));
      EXPECT_TRUE(plat::FileExists(kScheduleLockPath));
      act(*dialog);
    });
    frame->OnCommand(ids::kCommandSchedule);
    EXPECT_FALSE(plat::FileExists(kScheduleLockPath));
  }
  static void Click(QDialog& dialog, int id) {
    dialog.findChild<QPushButton*>(ids::IdName(id))->click();
  }
  std::string SchedulePath() const { return w.installHostDir() + "/sched.dat"; }

  test::ShellWorld w;
  std::unique_ptr<CArkvaleDoc> doc;
  std::unique_ptr<CMainFrame> frame;
};

TEST_F(MainFrameScheduleTest, RefusesUntilKeyServerUserAndPasswordAreSetInThatOrder) {
  const std::vector<std::string> texts{
      "You must define an encryption key in \"Configure\" before setting scheduler parameters",
      "You must fill in a backup server name in \"Configure\" before setting scheduler parameters",
      "You must fill in a user name in \"Configure\" before setting scheduler parameters",
      "You must fill in a password in \"Configure\" before setting scheduler parameters"};
  ConfigSettings settings;
  settings.logFilesToKeep = 5;
  const std::vector<std::string ConfigSettings::*> fill{
      &ConfigSettings::encryptionKey, &ConfigSettings::serverName, &ConfigSettings::userName,
      &ConfigSettings::password};
  for (std::size_t i = 0; i < texts.size(); ++i) {
    Start(settings);
    frame->OnCommand(ids::kCommandSchedule);
    const auto boxes = w.prompt.boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back().text, texts[i]);
    EXPECT_EQ(boxes.back().icon, Icon::Warning);
    settings.*fill[i] = "x";
  }
  EXPECT_FALSE(plat::FileExists(kScheduleLockPath));
}

TEST_F(MainFrameScheduleTest, HeldLockRefusesTheDialog) {
  Start();
  const int lock = AcquireScheduleLock(*doc);
  ASSERT_NE(lock, -1);
  frame->OnCommand(ids::kCommandSchedule);
  ReleaseScheduleLock(*doc, lock);
  ASSERT_EQ(w.prompt.texts().size(), 1u);
  EXPECT_TRUE(w.prompt.texts()[0].starts_with("The schedule file is in use by another thread"));
  const auto log = test::ParseLogLines(doc->eventLog.ReadAll(4000));
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].message, "Schedule dialog not available due to schedule file lock");
  EXPECT_EQ(log[0].level, 1);
}

TEST_F(MainFrameScheduleTest, CancelWritesNothingAndOkWritesTheDialogsValues) {
  Start();
  Schedule([](QDialog& dialog) { Click(dialog, ids::kIdCancel); });
  EXPECT_FALSE(std::filesystem::exists(SchedulePath()));

  Schedule([](QDialog& dialog) {
    dialog.findChild<QComboBox*>(ids::IdName(ids::kScheduleMinute))->setCurrentText("35");
    Click(dialog, ids::kIdOk);
  });
  EXPECT_EQ(test::TempWorld::ReadHostFile(SchedulePath()),
            "0\n\n01\n35\n01\n0\n0\n0\n0\n0\n0\n0\n0\n");
  EXPECT_EQ(std::filesystem::status(SchedulePath()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
}

TEST_F(MainFrameScheduleTest, TimerThreeBacksUpTheSavedSetWithoutAnOpenSession) {
  std::vector<std::string> installed;
  std::string error;
  ASSERT_TRUE(plat::InstallTools(installed, error)) << error;
  test::ReferenceServer server(w.world.root() + "/server");
  ASSERT_TRUE(server.running());
  ASSERT_EQ(server.Account({"add-user", "ann", "secret", "100000"}), 0);
  test::TempWorld::WriteHostFile(w.world.driveC() + "/data/a.txt", "alpha");
  test::TempWorld::WriteHostFile(w.world.driveC() + "/data/b.txt", "beta");
  test::TempWorld::WriteHostFile(w.world.driveC() + "/set.bak", "1\nC:\\data\n0\n");
  Start();
  frame->session().serverPort = server.port();
  // The start-up connection, once, and away again: the check finds no session.
  frame->OnTimer(ids::kTimerStartupConnection);
  frame->OnCommand(ids::kCommandDisconnect);
  ASSERT_EQ(frame->session().sessionSocket, -1);

  const ScheduleMoment now = MomentAt(std::time(nullptr));
  ScheduleSettings schedule;
  schedule.enabled = true;
  schedule.backupSetPath = "C:\\set.bak";
  schedule.hour = now.hour;
  schedule.minute = now.minute;
  ASSERT_TRUE(WriteScheduleFile(kInstallDirectory, schedule));
  frame->OnTimer(ids::kTimerScheduleCheck);
  EXPECT_NE(ReadLastBackup(kInstallDirectory), 0u);
  const std::string done = "Automatic backup: All files in session transferred succesfully";
  ASSERT_TRUE(test::WaitFor(
      [&] {
        const auto log = test::LogMessagesOf(doc->eventLog.ReadAll(4000));
        return std::find(log.begin(), log.end(), done) != log.end();
      },
      60000));
  int stored = 0;
  for (const auto& entry :
       std::filesystem::directory_iterator(server.dataDirectory() + "/objects")) {
    if (entry.path().extension() != ".part") ++stored;
  }
  EXPECT_EQ(stored, 2);
}

}  // namespace
}  // namespace arkvale
