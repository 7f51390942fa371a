#include "client/document/ArkvaleDoc.h"

#include "client/settings/InstallPaths.h"

namespace arkvale {

CArkvaleDoc::CArkvaleDoc(Prompt& prompt, EventLog::Clock clock)
    : installDirectory(kInstallDirectory), eventLog(std::move(clock)), prompt_(&prompt) {
  LoadSettings();
  eventLog.Open(installDirectory, prompt);
}

void CArkvaleDoc::LoadSettings() {
  const ConfigSettings s = LoadConfigFile(installDirectory);
  ApplySavedSettings(s);
  logFilesToKeep = s.logFilesToKeep;
}

void CArkvaleDoc::ApplySavedSettings(const ConfigSettings& saved) {
  std::lock_guard lock(settingsMutex_);
  encryptionKey = saved.encryptionKey;
  userName = saved.userName;
  password = saved.password;
  serverName = saved.serverName;
  trayIcon = saved.trayIcon ? 1 : 0;
  minimizedWindow = saved.minimizedWindow ? 1 : 0;
}

std::string CArkvaleDoc::EncryptionKey() const {
  std::lock_guard lock(settingsMutex_);
  return encryptionKey;
}

}  // namespace arkvale
