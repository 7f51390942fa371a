#pragma once
// The installation directory and the files the system keeps in it. Paths below the directory are
// built by appending a name that begins with a backslash; a few callers use the whole literal.
namespace arkvale {

inline constexpr const char* kInstallDirectory = "C:\\Program Files\\Arkvale";

inline constexpr const char* kConfigFileName = "\\config_file";
inline constexpr const char* kRunMinimizedName = "\\run_minimized";
inline constexpr const char* kLogDirectoryName = "\\log";
inline constexpr const char* kGzipName = "\\gzip.exe";
inline constexpr const char* kCcryptName = "\\ccrypt.exe";
inline constexpr const char* kScheduleFileName = "\\sched.dat";
inline constexpr const char* kLastBackupName = "\\last_backup";

inline constexpr const char* kConfigFilePath = "C:\\Program Files\\Arkvale\\config_file";
inline constexpr const char* kRunMinimizedPath = "C:\\Program Files\\Arkvale\\run_minimized";
inline constexpr const char* kSetwellPath = "C:\\Program Files\\Arkvale\\setwell.exe";
inline constexpr const char* kArkvalePath = "C:\\Program Files\\Arkvale\\arkvale.exe";

}  // namespace arkvale
