#pragma once
// The main window: the button bar, the status bar with the quota panes, the splitter with the
// drive tree beside the file list, menu 128 and its commands, the three timers and the
// notification icon. It owns the session and shows what the session reports.
#include <QMainWindow>
#include <QPointer>
#include <array>
#include <map>
#include <memory>

#include "client/session/Session.h"
#include "client/session/SessionView.h"
#include "client/settings/ConfigFile.h"
#include "client/shell/LogViewerDlg.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/DeleteDlg.h"
#include "client/transfer/RestoreDlg.h"

class QAction;
class QSplitter;
class QSystemTrayIcon;

namespace arkvale {

class CArkvaleDoc;
class CAutomaticBackup;
class CBackupSetCommands;
class CButtonBar;
class CDriveView;
class CFileView;
class CScheduleCheck;
class CStatusBar;

// Timer periods of the main window.
inline constexpr int kKeepAlivePeriodMs = 5000;
inline constexpr int kStartupConnectionDelayMs = 4000;
inline constexpr int kScheduleCheckPeriodMs = 300000;
inline constexpr int kDriveTreeWidth = 192;

class CMainFrame : public QMainWindow, public SessionView {
  Q_OBJECT
 public:
  // Construction: stale lock files removed, the wizard run when there is no configuration, the
  // copy of the settings read; then the window is created.
  explicit CMainFrame(CArkvaleDoc& doc, QWidget* parent = nullptr);
  ~CMainFrame() override;

  CArkvaleDoc& document() const { return doc_; }
  CSession& session() const { return *session_; }
  CStatusBar* statusPanes() const { return statusBar_; }
  CButtonBar* buttonBar() const { return buttonBar_; }
  QSplitter* splitter() const { return splitter_; }
  CDriveView* driveView() const { return driveView_; }
  CFileView* fileView() const { return fileView_; }
  QAction* action(int commandId) const;
  bool configurationPresent() const { return configurationPresent_; }
  // The settings as read at construction (user, password, key, server name).
  const ConfigSettings& settingsCopy() const { return settingsCopy_; }
  bool trayIconShown() const;
  // The open Backup dialog, null when there is none.
  CBackupDlg* backupDialog() const { return backupDlg_; }
  // The open Restore and Delete dialogs (hidden until their listing came), null when none.
  CRestoreDlg* restoreDialog() const { return restoreDlg_; }
  CDeleteDlg* deleteDialog() const { return deleteDlg_; }
  // The open log viewer, null when there is none.
  LogViewerDialog* logViewer() const { return logViewer_; }

  // Runs a command of menu 128 or of the button bar.
  void OnCommand(int commandId);
  // The handler of timer 1, 2 or 3.
  void OnTimer(int timerId);

  // SessionView. Calls from worker threads are carried to the user-interface thread.
  void ShowConnectionButton(ConnectionButton button) override;
  void ShowQuota(const std::string& used, const std::string& limit,
                 const std::string& percent) override;
  std::optional<LoginCredentials> RunLoginDialog(const std::string& user,
                                                 const std::string& password) override;

 protected:
  void timerEvent(QTimerEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Whether the desktop has a notification area to show the icon in.
  virtual bool TrayAvailable() const;

 private:
  void ReadConfiguration();
  void CreateMenu();
  void StartTimers();
  void AddTrayIcon();
  void RemoveTrayIcon();
  void RestoreFromTray();
  // The end of the window: the session is closed and the notification icon removed.
  void WindowGone();

  void OnBackup();
  // MainFrameTransfer.cpp: the Restore and Delete commands.
  void OnRestore();
  void OnDelete();
  // "Please connect" and false when there is no session.
  bool Connected();
  void BringForward(CIndexDlg* dialog);
  // Shows window as it was before it was minimised and puts it in front with the focus.
  static void ShowInFront(QWidget* window);
  // Starts dialog's retrieval and waits for the listing with the status-bar progress bar.
  void FetchIndex(CIndexDlg* dialog);
  void OnRunWizard();
  // The boxes of owner get window as their owner (with the program's own prompt).
  void SetBoxOwner(Owner owner, QWidget* window);
  void OnAbout();
  void OnLogViewer();
  void OnConfigure();
  // In MainFrameSchedule.cpp.
  void OnSchedule();
  void ScheduleCheck();
  // Opens the user guide installed beside the program in the desktop's browser.
  void OnHelpTopics();

  CArkvaleDoc& doc_;
  std::unique_ptr<CSession> session_;
  // Made at the first schedule check; the runs end before the session goes.
  std::unique_ptr<CAutomaticBackup> automaticBackup_;
  std::unique_ptr<CScheduleCheck> scheduleCheck_;
  ConfigSettings settingsCopy_;
  bool configurationPresent_ = false;

  CButtonBar* buttonBar_ = nullptr;
  CStatusBar* statusBar_ = nullptr;
  QSplitter* splitter_ = nullptr;
  CDriveView* driveView_ = nullptr;
  CFileView* fileView_ = nullptr;
  std::unique_ptr<CBackupSetCommands> backupSetCommands_;
  std::map<int, QAction*> actions_;
  // Qt's ids of timers 1, 2 and 3; 0 for a timer that is not running.
  std::array<int, 4> timerIds_{};
  QSystemTrayIcon* trayIcon_ = nullptr;
  bool windowClosed_ = false;

  QPointer<CBackupDlg> backupDlg_;
  QPointer<CRestoreDlg> restoreDlg_;
  QPointer<CDeleteDlg> deleteDlg_;
  QPointer<LogViewerDialog> logViewer_;
};

}  // namespace arkvale
