#include "client/shell/MainFrame.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMenuBar>
#include <QSplitter>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTimerEvent>
#include <QToolBar>
#include <QToolButton>

#include "client/document/ArkvaleDoc.h"
#include "client/resources/Bitmaps.h"
#include "client/resources/ResourceIds.h"
#include "client/scheduler/AutomaticBackup.h"
#include "client/scheduler/ScheduleCheck.h"
#include "client/selection/BackupSetCommands.h"
#include "client/selection/DriveView.h"
#include "client/selection/FileView.h"
#include "client/session/LoginDlg.h"
#include "client/settings/InstallPaths.h"
#include "client/shell/AboutDlg.h"
#include "client/shell/ButtonBar.h"
#include "client/shell/GuiPrompt.h"
#include "client/shell/StatusBar.h"
#include "client/transfer/BackupDlg.h"
#include "client/transfer/RunFlags.h"
#include "platform/Process.h"
#include "widgets/OwnerDrawnMenu.h"

namespace arkvale {
namespace {

constexpr int kWindowX = 20;
constexpr int kWindowY = 40;
constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 500;
const QColor kMenuHighlight(242, 238, 230);

struct MenuItem {
  int command;
  const char* text;
  const char* prompt;
  bool wired;  // false: its dialog is not part of this program yet, so the item is disabled
};

struct MenuInfo {
  const char* title;
  std::vector<MenuItem> items;
};

const std::vector<MenuInfo>& Menus() {
  using namespace ids;
  static const std::vector<MenuInfo> menus{
      {"Connection",
       {{kCommandConnect, "Connect ...", "Connect to the backup server", true},
        {kCommandDisconnect, "Disconnect", "Disconnect from the backup server", true}}},
      {"&File",
       {{kCommandSaveSet, "Save Backup Set ...", "Save backup file set", true},
        {kCommandLoadSet, "Load Backup Set ...", "Load a backup file set", true},
        {0, nullptr, nullptr, true},
        {kCommandExit, "E&xit", "Quit the application", true}}},
      {"Configuration",
       {{kCommandWizard, "Configuration Wizard ...", "Run the configuration wizard", true},
        {kCommandConfigure, "Configure (Classic) ...", "Set configuration parameters", true},
        {kCommandSchedule, "Schedule ...", "Set schedule parameters", true}}},
      {"&View",
       {{kCommandStatusBar, "&Status Bar", "Show or hide the status bar", true},
        {kCommandLogViewer, "Log Viewer ...", "View the log file", true}}},
      {"Operations",
       {{kCommandBackup, "Backup ...", "Backup selected files", true},
        {kCommandRestore, "Restore ...", "Restore previosly backed up files", true},
        {kCommandDelete, "Delete ...", "Delete backed up files from backup server", true}}},
      {"&Help",
       {{kCommandHelpTopics, "&Help Topics", "List the help topics", true},
        {0, nullptr, nullptr, true},
        {kCommandAbout, "&About arkvale...", "Display program information and version", true}}},
  };
  return menus;
}

// The bitmap a menu item shares with its button, for the image column of the menu.
int MenuBitmap(int command) {
  for (const ButtonInfo& info : CButtonBar::Buttons()) {
    if (info.command == command) return info.bitmap;
  }
  return 0;
}

}  // namespace

CMainFrame::CMainFrame(CArkvaleDoc& doc, QWidget* parent)
    : QMainWindow(parent), doc_(doc), session_(std::make_unique<CSession>(doc, *this)) {
  // Locks left behind by a crash would block every exchange of this run.
  RemoveStaleLocks();
  scheduleSuspended = false;
  ReadConfiguration();

  setObjectName(QStringLiteral("mainFrame"));
  setWindowTitle(QString::fromLatin1(kApplicationTitle));
  setWindowIcon(ApplicationIcon());

  splitter_ = new QSplitter(Qt::Horizontal, this);
  splitter_->setObjectName(QStringLiteral("splitter"));
  splitter_->setChildrenCollapsible(false);
  // The file list first: the tree shows its first fixed drive in it as soon as it is made.
  fileView_ = new CFileView(doc_);
  driveView_ = new CDriveView(doc_, doc_.prompt());
  splitter_->addWidget(driveView_);
  splitter_->addWidget(fileView_);
  backupSetCommands_ = std::make_unique<CBackupSetCommands>(
      doc_, *driveView_, doc_.prompt(),
      [this](int level, const std::string& text) { doc_.Log(level, text); }, this);
  splitter_->setStretchFactor(0, 0);
  splitter_->setStretchFactor(1, 1);
  splitter_->setSizes({kDriveTreeWidth, kWindowWidth - kDriveTreeWidth});
  setCentralWidget(splitter_);

  StartTimers();

  auto* rebar = new QToolBar(this);
  rebar->setObjectName(QStringLiteral("rebar"));
  rebar->setAllowedAreas(Qt::TopToolBarArea);
  rebar->setFloatable(false);
  buttonBar_ = new CButtonBar(rebar);
  rebar->addWidget(buttonBar_);
  addToolBar(Qt::TopToolBarArea, rebar);
  // The bar is the only display of the connection state: no menu may offer to hide it.
  rebar->toggleViewAction()->setVisible(false);
  // A narrow window folds the bar behind the tool bar's own arrow button, which has no caption.
  for (QToolButton* button : rebar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
    button->setAccessibleName(tr("More buttons"));
    button->setToolTip(tr("Show the buttons the window is too narrow for"));
  }
  setContextMenuPolicy(Qt::PreventContextMenu);

  statusBar_ = new CStatusBar(this);
  setStatusBar(statusBar_);

  CreateMenu();
  connect(buttonBar_, &CButtonBar::Command, this, &CMainFrame::OnCommand);
  ShowConnectionButton(ConnectionButton::Connecting);
  qApp->installEventFilter(this);
  SetBoxOwner(Owner::MainWindow, this);

  move(kWindowX, kWindowY);
  resize(kWindowWidth, kWindowHeight);
}

CMainFrame::~CMainFrame() {
  qApp->removeEventFilter(this);
  WindowGone();
}

void CMainFrame::ReadConfiguration() {
  std::optional<ConfigSettings> settings = ReadConfigFile(doc_.installDirectory);
  if (!settings) {
    // No configuration yet: the wizard makes one, and the window waits for it.
    const int exitCode = plat::RunAndWait(kSetwellPath, {"setwell.exe"});
    if (exitCode == 0) settings = ReadConfigFile(doc_.installDirectory);
    // The document read its settings before the wizard wrote them.
    if (settings) doc_.ApplySavedSettings(*settings);
  }
  configurationPresent_ = settings.has_value();
  settingsCopy_ = ConfigSettings{};
  if (settings) {
    settingsCopy_.userName = settings->userName;
    settingsCopy_.password = settings->password;
    settingsCopy_.encryptionKey = settings->encryptionKey;
    settingsCopy_.serverName = settings->serverName;
  }
}

void CMainFrame::CreateMenu() {
  for (const MenuInfo& info : Menus()) {
    auto* menu = new COwnerDrawnMenu(QString::fromLatin1(info.title), this);
    menu->SetHighlightColour(kMenuHighlight);
    for (const MenuItem& item : info.items) {
      if (item.command == 0) {
        menu->addSeparator();
        continue;
      }
      QAction* action = menu->addAction(QString::fromLatin1(item.text));
      action->setObjectName(ids::IdName(item.command));
      action->setStatusTip(QString::fromLatin1(item.prompt));
      action->setEnabled(item.wired);
      if (const int bitmap = MenuBitmap(item.command); bitmap != 0) {
        action->setIcon(QIcon(MenuImage(bitmap)));
      }
      const int command = item.command;
      connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
      actions_[item.command] = action;
    }
    menuBar()->addMenu(menu);
  }
  QAction* statusBarItem = actions_.at(ids::kCommandStatusBar);
  statusBarItem->setCheckable(true);
  statusBarItem->setChecked(true);
  // A button is usable exactly when its command is.
  for (const ButtonInfo& info : CButtonBar::Buttons()) {
    if (info.command == 0) continue;
    QAction* action = actions_.at(info.command);
    CImageButton* button = buttonBar_->button(info.control);
    button->setEnabled(action->isEnabled());
    connect(action, &QAction::changed, button,
            [action, button] { button->setEnabled(action->isEnabled()); });
  }
}

QAction* CMainFrame::action(int commandId) const {
  auto it = actions_.find(commandId);
  return it == actions_.end() ? nullptr : it->second;
}

void CMainFrame::StartTimers() {
  const std::array<std::pair<int, int>, 3> timers{
      {{ids::kTimerKeepAlive, kKeepAlivePeriodMs},
       {ids::kTimerStartupConnection, kStartupConnectionDelayMs},
       {ids::kTimerScheduleCheck, kScheduleCheckPeriodMs}}};
  for (const auto& [timer, period] : timers) {
    timerIds_[timer] = startTimer(period);
    if (timerIds_[timer] == 0) {
      doc_.prompt().ShowMessage("Error: SetTimer failed", kCaption, Icon::Error, Owner::MainWindow);
    }
  }
}

void CMainFrame::timerEvent(QTimerEvent* event) {
  for (int timer = 1; timer <= 3; ++timer) {
    if (timerIds_[timer] != 0 && timerIds_[timer] == event->timerId()) {
      OnTimer(timer);
      return;
    }
  }
  QMainWindow::timerEvent(event);
}

void CMainFrame::OnTimer(int timerId) {
  switch (timerId) {
    case ids::kTimerKeepAlive:
      session_->KeepAlive();
      break;
    case ids::kTimerStartupConnection:
      // Once only, whatever the outcome.
      if (timerIds_[timerId] != 0) killTimer(timerIds_[timerId]);
      timerIds_[timerId] = 0;
      if (configurationPresent_ && session_->ConnectAutomatically() != 0) {
        ShowConnectionButton(ConnectionButton::Connect);
      }
      break;
    case ids::kTimerScheduleCheck:
      ScheduleCheck();
      break;
    default:
      break;
  }
}

void CMainFrame::OnCommand(int commandId) {
  using namespace ids;
  QAction* item = action(commandId);
  if (item != nullptr && !item->isEnabled()) return;
  switch (commandId) {
    case kCommandConnect:
      session_->Connect();
      break;
    case kCommandDisconnect:
      session_->Disconnect();
      break;
    case kCommandSaveSet:
      backupSetCommands_->SaveBackupSet();
      break;
    case kCommandLoadSet:
      backupSetCommands_->LoadBackupSet();
      break;
    case kCommandExit:
      close();
      break;
    case kCommandWizard:
      OnRunWizard();
      break;
    case kCommandStatusBar:
      statusBar_->setVisible(!statusBar_->isVisible());
      item->setChecked(statusBar_->isVisible());
      break;
    case kCommandAbout:
      OnAbout();
      break;
    case kCommandHelpTopics:
      OnHelpTopics();
      break;
    case kCommandBackup:
      OnBackup();
      break;
    case kCommandRestore:
      OnRestore();
      break;
    case kCommandDelete:
      OnDelete();
      break;
    case kCommandSchedule:
      OnSchedule();
      break;
    case kCommandLogViewer:
      OnLogViewer();
      break;
    case kCommandConfigure:
      OnConfigure();
      break;
    default:
      break;
  }
}

void CMainFrame::SetBoxOwner(Owner owner, QWidget* window) {
  if (auto* gui = dynamic_cast<CGuiPrompt*>(&doc_.prompt())) gui->SetOwner(owner, window);
}

void CMainFrame::OnBackup() {
  if (doc_.NothingChosen()) {
    doc_.prompt().ShowMessage("No files or directories chosen for backup", kApplicationTitle,
                              Icon::None, Owner::MainWindow);
    return;
  }
  if (backupDlg_ != nullptr) {
    ShowInFront(backupDlg_);
    return;
  }
  backupDlg_ = new CBackupDlg(doc_, *session_, this);
  SetBoxOwner(Owner::BackupDialog, backupDlg_);
  backupDlg_->show();
}

void CMainFrame::OnRunWizard() {
  // The window waits for the wizard. After Finish it takes over what was written, as after the
  // classic dialog: a backup must not go on under a key the user has just replaced.
  if (plat::RunAndWait(kSetwellPath, {"setwell.exe"}) != 0) return;
  const std::optional<ConfigSettings> settings = ReadConfigFile(doc_.installDirectory);
  if (!settings) return;
  doc_.ApplySavedSettings(*settings);
  if (settings->trayIcon == 0) RemoveTrayIcon();
}

void CMainFrame::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CMainFrame::ShowConnectionButton(ConnectionButton button) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, button] { ShowConnectionButton(button); }, Qt::QueuedConnection);
    return;
  }
  const std::array<std::pair<int, ConnectionButton>, 3> stack{
      {{ids::kButtonConnect, ConnectionButton::Connect},
       {ids::kButtonConnecting, ConnectionButton::Connecting},
       {ids::kButtonDisconnect, ConnectionButton::Disconnect}}};
  for (const auto& [control, state] : stack)
    buttonBar_->button(control)->setVisible(state == button);
}

void CMainFrame::ShowQuota(const std::string& used, const std::string& limit,
                           const std::string& percent) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, used, limit, percent] { ShowQuota(used, limit, percent); },
        Qt::QueuedConnection);
    return;
  }
  statusBar_->SetPaneText(2, QString::fromStdString(used));
  statusBar_->SetPaneText(4, QString::fromStdString(limit));
  statusBar_->SetPaneText(6, QString::fromStdString(percent));
}

std::optional<LoginCredentials> CMainFrame::RunLoginDialog(const std::string& user,
                                                           const std::string& password) {
  return arkvale::RunLoginDialog(this, user, password);
}

bool CMainFrame::trayIconShown() const { return trayIcon_ != nullptr && trayIcon_->isVisible(); }

void CMainFrame::AddTrayIcon() {
  if (trayIcon_ == nullptr) {
    trayIcon_ = new QSystemTrayIcon(ApplicationIcon(), this);
    trayIcon_->setObjectName(ids::IdName(ids::kMainResource));
    trayIcon_->setToolTip(QString::fromLatin1(kCaption));
    connect(trayIcon_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              if (reason == QSystemTrayIcon::DoubleClick) RestoreFromTray();
            });
  }
  if (!trayIcon_->isVisible()) trayIcon_->show();
}

void CMainFrame::RemoveTrayIcon() {
  if (trayIcon_ != nullptr) trayIcon_->hide();
}

void CMainFrame::RestoreFromTray() { ShowInFront(this); }

void CMainFrame::ShowInFront(QWidget* window) {
  window->showNormal();
  window->raise();
  window->activateWindow();
}

void CMainFrame::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() != QEvent::WindowStateChange || !isMinimized() || doc_.trayIcon != 1) return;
  AddTrayIcon();
  // Only the icon remains; hidden after the state change has been handled. A desktop without a
  // notification area would show no icon, and the window could not be brought back: it stays
  // minimized on the task bar instead.
  if (doc_.minimizedWindow == 0 && TrayAvailable())
    QMetaObject::invokeMethod(this, &QWidget::hide, Qt::QueuedConnection);
}

bool CMainFrame::TrayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

void CMainFrame::closeEvent(QCloseEvent* event) {
  QMainWindow::closeEvent(event);
  if (event->isAccepted()) WindowGone();
}

void CMainFrame::WindowGone() {
  if (windowClosed_) return;
  windowClosed_ = true;
  session_->Disconnect();
  RemoveTrayIcon();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
  // Hover texts: a button shows its text in pane 0; the pointer anywhere else empties it.
  switch (event->type()) {
    case QEvent::Enter:
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::MouseMove:
      if (buttonBar_ == nullptr || !watched->isWidgetType()) break;
      if (const char* text = buttonBar_->HoverText(watched)) {
        statusBar_->SetPaneText(0, QString::fromLatin1(text));
      } else if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove) {
        statusBar_->SetPaneText(0, QString());
      }
      break;
    default:
      break;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace arkvale
