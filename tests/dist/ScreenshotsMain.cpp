// arkvale-screenshots DIR: the program's windows, built from its own classes in a temporary
// world with a few chosen files, saved as PNG pictures for the README. Run it on a real X server
// (scripts/screenshots.sh uses Xvfb) so that fonts and style are the desktop's.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QTreeWidgetItem>
#include <cstdio>
#include <cstring>
#include <functional>

#include "client/document/ArkvaleDoc.h"
#include "client/scheduler/ScheduleDlg.h"
#include "client/selection/DriveView.h"
#include "client/selection/FileView.h"
#include "client/shell/ConfigDlg.h"
#include "client/shell/MainFrame.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/CompareResultsDlg.h"
#include "client/transfer/RestoreDlg.h"
#include "tests/client/shell/ShellWorld.h"

namespace {

using namespace arkvale;

QTreeWidgetItem* Child(QTreeWidgetItem* item, const QString& name) {
  for (int i = 0; i < item->childCount(); ++i) {
    if (item->child(i)->text(0) == name) return item->child(i);
  }
  return nullptr;
}

// Lets the windows lay themselves out and paint.
void Settle() {
  test::WaitFor([] { return false; }, 400);
}

bool Save(QWidget& window, const QString& path) {
  Settle();
  if (window.grab().save(path)) return true;
  std::fprintf(stderr, "arkvale-screenshots: cannot write %s\n", qPrintable(path));
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: arkvale-screenshots DIR\n");
    return 2;
  }
  test::ShellWorld w;
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);
  const std::string home = w.world.driveC() + "/Users/ann";
  for (const char* file :
       {"Documents/annual report.odt", "Documents/budget 2026.ods",
        "Documents/letter to the bank.txt", "Documents/notes.md", "Pictures/harbour at dawn.jpg",
        "Pictures/garden.png", "Projects/website/index.html", "Music/playlist.m3u"}) {
    test::TempWorld::WriteHostFile(home + "/" + file,
                                   std::string(2000 + 997 * std::strlen(file), 'x'));
  }
  ConfigSettings account;
  account.userName = "ann";
  account.password = "secret";
  account.encryptionKey = "a key only ann knows";
  account.serverName = "backup";
  w.WriteConfig(account);

  CArkvaleDoc doc(w.prompt);
  CMainFrame frame(doc);
  frame.show();
  CDriveView& tree = *frame.driveView();
  QTreeWidgetItem* drive = tree.topLevelItem(0);
  QTreeWidgetItem* users = Child(drive, "Users");
  tree.expandItem(users);
  QTreeWidgetItem* ann = Child(users, "ann");
  tree.expandItem(ann);
  tree.ClickCheckBox(Child(ann, "Documents"));
  tree.setCurrentItem(Child(ann, "Pictures"));
  frame.fileView()->ClickRow(0);
  tree.setCurrentItem(Child(ann, "Documents"));
  frame.ShowConnectionButton(ConnectionButton::Disconnect);
  frame.ShowQuota("18432", "102400", "18");
  if (!Save(frame, out + "/main-window.png")) return 1;

  CBackupDlg backup(doc, frame.session(), &frame);
  backup.show();
  if (!Save(backup, out + "/backup-dialog.png")) return 1;
  backup.hide();

  CConfigDlg config(
      LoadClassicConfig(doc.installDirectory), w.prompt, [](const ClassicConfig&) { return true; },
      &frame);
  config.show();
  if (!Save(config, out + "/configuration-dialog.png")) return 1;
  config.hide();

  CRestoreDlg restore(doc, frame.session(), &frame);
  std::vector<IndexEntry> stored;
  int32_t when = 1796558400;  // December 2026
  for (const char* file :
       {"Documents\\annual report.odt", "Documents\\budget 2026.ods",
        "Documents\\letter to the bank.txt", "Documents\\notes.md", "Pictures\\garden.png"}) {
    stored.push_back({std::string("C:\\Users\\ann\\") + file,
                      static_cast<int32_t>(60000 + 997 * std::strlen(file)), when});
    when += 5400;
  }
  restore.SetRows(stored);
  restore.model().Toggle(0);
  restore.model().Toggle(2);
  restore.findChild<QRadioButton*>("folderRadio")->click();
  restore.findChild<QLineEdit*>("folderEdit")->setText("Z:\\home\\ann\\restored");
  restore.show();
  if (!Save(restore, out + "/restore-dialog.png")) return 1;
  restore.hide();

  // What a Compare over those files reports.
  std::vector<CompareResult> compared;
  const CompareOutcome outcomes[] = {CompareOutcome::Same, CompareOutcome::Differs,
                                     CompareOutcome::Same, CompareOutcome::Missing,
                                     CompareOutcome::Damaged};
  for (std::size_t i = 0; i < stored.size(); ++i) {
    CompareResult r;
    r.path = stored[i].name;
    r.outcome = outcomes[i];
    r.storedSize = static_cast<uint32_t>(stored[i].size);
    r.storedTime = stored[i].modified;
    r.hasLocal = r.outcome != CompareOutcome::Missing;
    r.localSize = r.storedSize + (r.outcome == CompareOutcome::Differs ? 1210 : 0);
    r.localTime = r.storedTime + (r.outcome == CompareOutcome::Differs ? 86400 * 3 : 0);
    compared.push_back(r);
  }
  const std::string summary = CompareSummary(compared);
  CCompareResultsDlg results(compared, summary, &frame);
  results.show();
  if (!Save(results, out + "/compare-results.png")) return 1;
  results.hide();

  ScheduleSettings daily;
  daily.enabled = true;
  daily.hour = "22";
  daily.minute = "30";
  daily.backupSetPath = "C:\\Users\\ann\\documents.bak";
  CScheduleDlg schedule(daily, w.prompt, &frame);
  schedule.show();
  if (!Save(schedule, out + "/schedule-dialog.png")) return 1;
  return 0;
}
