#pragma once
// Dialog and control ids of the wizard's windows; each widget carries its id as its object name.
#include <QString>

namespace arkvale::wizard_ids {

inline QString IdName(int id) { return QString::number(id); }

inline constexpr int kAboutDialog = 100;
inline constexpr int kWizardDialog = 102;
inline constexpr int kUserPage = 129;
inline constexpr int kServerPage = 131;
inline constexpr int kKeyPage = 132;
inline constexpr int kStartupPage = 133;
inline constexpr int kSummaryPage = 141;
// The system-menu item that opens the About box.
inline constexpr int kAboutCommand = 16;

inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kNext = 1000;
inline constexpr int kBack = 1010;

inline constexpr int kUserName = 1001;
inline constexpr int kPassword = 1002;
inline constexpr int kConfirmPassword = 1003;
inline constexpr int kServerName = 1004;
inline constexpr int kEncryptionKey = 1005;
inline constexpr int kRunOnStartup = 1006;
inline constexpr int kRunMinimized = 1007;
inline constexpr int kMinimizeToTray = 1008;
inline constexpr int kMinimizeToTaskBar = 1009;
inline constexpr int kSummaryPassword = 1024;
inline constexpr int kSummaryRunAtStartup = 1031;
inline constexpr int kSummaryRunMinimized = 1032;
inline constexpr int kSummaryTaskBarIcon = 1033;
inline constexpr int kSummaryTrayIcon = 1034;
inline constexpr int kRunArkvaleNow = 1035;

}  // namespace arkvale::wizard_ids
