#pragma once
// Control, command and resource ids of the main program's windows. Each widget carries its id as
// its object name (IdName), so code and tests find "the Compressing bar" by its id.
#include <QString>

namespace arkvale::ids {

inline QString IdName(int id) { return QString::number(id); }

// Icon 128 (window and notification icon), menu 128, dialog 128 (the button bar).
inline constexpr int kMainResource = 128;
// The About box.
inline constexpr int kAboutDialog = 100;
inline constexpr int kBackupDialog = 135;
inline constexpr int kRestoreDialog = 136;
inline constexpr int kDeleteDialog = 137;

// Buttons of the button bar.
inline constexpr int kButtonConnect = 1035;
inline constexpr int kButtonConnecting = 1116;
inline constexpr int kButtonDisconnect = 1117;
inline constexpr int kButtonBackup = 1058;
inline constexpr int kButtonDelete = 1084;
inline constexpr int kButtonRestore = 1067;
inline constexpr int kButtonSaveSet = 1036;
inline constexpr int kButtonLoadSet = 1112;
inline constexpr int kButtonLogViewer = 1072;
inline constexpr int kButtonSchedule = 1076;
inline constexpr int kButtonConfigure = 1080;

// Bitmaps of the buttons.
inline constexpr int kBitmapConnect = 139;
inline constexpr int kBitmapConnecting = 175;
inline constexpr int kBitmapDisconnect = 172;
inline constexpr int kBitmapBackup = 146;
inline constexpr int kBitmapDelete = 166;
inline constexpr int kBitmapRestore = 150;
inline constexpr int kBitmapSaveSet = 142;
inline constexpr int kBitmapLoadSet = 177;
inline constexpr int kBitmapLogViewer = 154;
inline constexpr int kBitmapSchedule = 160;
inline constexpr int kBitmapConfigure = 163;

// Commands of menu 128.
inline constexpr int kCommandConnect = 32773;
inline constexpr int kCommandConfigure = 32774;
inline constexpr int kCommandDisconnect = 32775;
inline constexpr int kCommandBackup = 32776;
inline constexpr int kCommandRestore = 32777;
inline constexpr int kCommandDelete = 32778;
inline constexpr int kCommandLogViewer = 32779;
inline constexpr int kCommandSchedule = 32780;
inline constexpr int kCommandSaveSet = 32781;
inline constexpr int kCommandLoadSet = 32783;
inline constexpr int kCommandWizard = 32784;
inline constexpr int kCommandAbout = 57664;
inline constexpr int kCommandExit = 57665;
inline constexpr int kCommandHelpTopics = 57667;
inline constexpr int kCommandStatusBar = 59393;

// Timers of the main window.
inline constexpr int kTimerKeepAlive = 1;
inline constexpr int kTimerStartupConnection = 2;
inline constexpr int kTimerScheduleCheck = 3;

// Log viewer.
inline constexpr int kLogViewerDialog = 138;
inline constexpr int kLogList = 1030;
inline constexpr int kShowLevel0 = 1031;
inline constexpr int kShowLevel1 = 1032;
inline constexpr int kShowLevel2 = 1033;
inline constexpr int kRefreshLogs = 1034;

// Classic configuration dialog.
inline constexpr int kConfigDialog = 133;
inline constexpr int kConfigUser = 1000;
inline constexpr int kConfigPassword = 1001;
inline constexpr int kConfigServer = 1002;
inline constexpr int kConfigKey = 1003;
inline constexpr int kConfigLogCount = 1004;
inline constexpr int kConfigTrayIcon = 1098;
inline constexpr int kConfigMinimizedWindow = 1099;
inline constexpr int kConfigRunOnStartup = 1107;
inline constexpr int kConfigRunMinimized = 1109;

// Backup dialog.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kFileList = 1007;
inline constexpr int kBytesSelected = 1008;
inline constexpr int kDirectoryList = 1009;
inline constexpr int kStartBackup = 1010;
inline constexpr int kTransmissionBar = 1011;
inline constexpr int kBytesTransmitted = 1012;
inline constexpr int kFilesTransmitted = 1013;
inline constexpr int kFilesSelected = 1023;
inline constexpr int kStopBackup = 1100;
inline constexpr int kCompressingBar = 1103;
inline constexpr int kEncryptingBar = 1104;

// Restore and Delete dialogs.
inline constexpr int kRestoreList = 1015;
inline constexpr int kDeleteList = 1016;
inline constexpr int kSearchText = 1017;
inline constexpr int kSearch = 1019;
inline constexpr int kStartRestore = 1021;
inline constexpr int kRestoreTransmissionBar = 1022;
inline constexpr int kStartDelete = 1024;
inline constexpr int kDeleteBar = 1025;
inline constexpr int kCheckAll = 1026;
inline constexpr int kUncheckAll = 1027;
inline constexpr int kStopDelete = 1101;
inline constexpr int kStopRestore = 1102;
inline constexpr int kDecryptingBar = 1105;
inline constexpr int kUncompressingBar = 1106;

// Schedule Backups dialog.
inline constexpr int kScheduleDialog = 140;
inline constexpr int kScheduleEnable = 1039;
inline constexpr int kScheduleDaily = 1040;
inline constexpr int kScheduleWeekly = 1041;
inline constexpr int kScheduleMonthly = 1042;
inline constexpr int kScheduleBackupSet = 1043;
inline constexpr int kScheduleHour = 1044;
inline constexpr int kScheduleMinute = 1045;
inline constexpr int kScheduleMonday = 1046;  // to 1052 Sunday, in calendar order
inline constexpr int kScheduleDayOfMonth = 1053;
inline constexpr int kScheduleBrowse = 1054;
inline constexpr int kScheduleWeekdayLabel = 1056;
inline constexpr int kScheduleDayOfMonthLabel = 1057;

// Status bar panes; object names "pane0" to "pane6".
inline constexpr int kPaneCount = 7;
inline QString PaneName(int pane) { return QStringLiteral("pane%1").arg(pane); }

}  // namespace arkvale::ids
