#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdlib>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/ResourceIds.h"
#include "client/shell/ConfigDlg.h"
#include "client/shell/MainFrame.h"
#include "platform/StartupRegistration.h"
#include "tests/client/shell/ShellWorld.h"

namespace arkvale {
namespace {

QLineEdit* Edit(QWidget* dialog, int id) { return dialog->findChild<QLineEdit*>(ids::IdName(id)); }
QCheckBox* Check(QWidget* dialog, int id) { return dialog->findChild<QCheckBox*>(ids::IdName(id)); }
void ClickOk(QWidget* dialog) { dialog->findChild<QPushButton*>(ids::IdName(ids::kIdOk))->click(); }

class ConfigDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", (w.world.root() + "/config").c_str(), 1); }
  void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }
  test::ShellWorld w;
};

TEST_F(ConfigDlgTest, LabelsNameTheirFieldsAndABadCountKeepsTheDialogOpen) {
  std::vector<ClassicConfig> saved;
  bool saveSucceeds = false;
  ClassicConfig loaded;
  loaded.settings = {"ann", "secret", "a key", "backup", 5, 1, 0, 1};
  CConfigDlg dialog(loaded, w.prompt, [&](const ClassicConfig& values) {
    saved.push_back(values);
    return saveSucceeds;
  });
  dialog.show();
  const std::vector<std::pair<int, const char*>> names{
      {ids::kConfigUser, "User"},
      {ids::kConfigPassword, "Password"},
      {ids::kConfigServer, "Backup server"},
      {ids::kConfigKey, "File encryption key"},
      {ids::kConfigLogCount, "Number of old log files to keep"},
      {ids::kConfigTrayIcon, "Tray icon"},
      {ids::kConfigMinimizedWindow, "Minimized window"},
      {ids::kConfigRunOnStartup, "Run on startup"},
      {ids::kConfigRunMinimized, "Run minimized"}};
  for (const auto& [id, name] : names) {
    QWidget* control = dialog.findChild<QWidget*>(ids::IdName(id));
    ASSERT_NE(control, nullptr) << id;
    EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);
  }
  EXPECT_EQ(Edit(&dialog, ids::kConfigServer)->text(), "backup");
  EXPECT_EQ(Edit(&dialog, ids::kConfigLogCount)->text(), "5");
  EXPECT_EQ(Edit(&dialog, ids::kConfigPassword)->echoMode(), QLineEdit::Password);
  EXPECT_TRUE(Check(&dialog, ids::kConfigRunOnStartup)->isChecked());
  EXPECT_FALSE(Check(&dialog, ids::kConfigRunMinimized)->isChecked());
  // Only what reads back whole can be typed.
  Edit(&dialog, ids::kConfigUser)->setText(QString(120, 'u'));
  EXPECT_EQ(Edit(&dialog, ids::kConfigUser)->text(), QString(98, 'u'));
  // The line buffers count bytes: 49 two-byte letters fill the field.
  Edit(&dialog, ids::kConfigUser)->clear();
  Edit(&dialog, ids::kConfigUser)->insert(QString(49, QChar(0xFC)));
  Edit(&dialog, ids::kConfigUser)->insert(QString(QChar(0xFC)));
  EXPECT_EQ(Edit(&dialog, ids::kConfigUser)->text().toUtf8().size(), 98);
  Edit(&dialog, ids::kConfigUser)->setText("ann");
  // The server name's limit is the wizard's: the 100-byte field the programs hold it in.
  Edit(&dialog, ids::kConfigServer)->setText(QString(120, 's'));
  EXPECT_EQ(Edit(&dialog, ids::kConfigServer)->text().size(), 99);

  Edit(&dialog, ids::kConfigLogCount)->setText("31");
  ClickOk(&dialog);
  Edit(&dialog, ids::kConfigLogCount)->setText("ten");
  ClickOk(&dialog);
  EXPECT_EQ(w.prompt.texts(), (std::vector<std::string>{"Please enter an integer between 1 and 30.",
                                                        "Please enter an integer."}));
  EXPECT_EQ(w.prompt.boxes()[0].caption, "arkvale");
  EXPECT_TRUE(saved.empty());
  EXPECT_TRUE(dialog.isVisible());

  // A save that fails leaves the dialog open with what was typed.
  Edit(&dialog, ids::kConfigLogCount)->setText("30");
  Edit(&dialog, ids::kConfigServer)->setText("vault");
  Check(&dialog, ids::kConfigRunMinimized)->setChecked(true);
  ClickOk(&dialog);
  EXPECT_TRUE(dialog.isVisible());
  saveSucceeds = true;
  ClickOk(&dialog);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[1].settings, (ConfigSettings{"ann", "secret", "a key", "vault", 30, 1, 0, 1}));
  EXPECT_EQ(saved[1].runMinimized, 1);
}

// A desktop with a notification area, which the offscreen platform does not have.
class TrayFrame : public CMainFrame {
 public:
  using CMainFrame::CMainFrame;

 protected:
  bool TrayAvailable() const override { return true; }
};

TEST_F(ConfigDlgTest, UntickingTrayIconRemovesTheShownIconAndTheNewSettingsApply) {
  w.WriteConfig({"ann", "secret", "a key", "backup", 5, 1, 0, 0});
  CArkvaleDoc doc(w.prompt);
  TrayFrame frame(doc);
  frame.show();
  frame.showMinimized();
  ASSERT_TRUE(test::WaitFor([&] { return frame.isHidden(); }));
  frame.showNormal();
  ASSERT_TRUE(frame.trayIconShown());

  bool answered = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr || dialog->objectName() != ids::IdName(ids::kConfigDialog)) return;
    poll.stop();
    answered = true;
    Edit(dialog, ids::kConfigServer)->setText("vault");
    Check(dialog, ids::kConfigTrayIcon)->setChecked(false);
    ClickOk(dialog);
  });
  poll.start(10);
  frame.OnCommand(ids::kCommandConfigure);
  ASSERT_TRUE(answered);
  EXPECT_FALSE(frame.trayIconShown());
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(doc.serverName, "vault");
  EXPECT_EQ(doc.trayIcon, 0);
  EXPECT_EQ(test::TempWorld::ReadHostFile(w.installHostDir() + "/config_file"),
            "ann\nsecret\na key\nvault\n5\n0\n0\n0\n");
  EXPECT_FALSE(plat::HasStartupEntry());
  EXPECT_TRUE(w.prompt.texts().empty());
}

}  // namespace
}  // namespace arkvale
