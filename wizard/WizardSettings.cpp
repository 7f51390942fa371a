#include "wizard/WizardSettings.h"

#include "client/settings/StartupRegistration.h"

namespace arkvale {

WizardSettings LoadWizardSettings(const std::string& installDirectory) {
  WizardSettings s;
  const std::optional<ConfigSettings> read = ReadConfigFile(installDirectory);
  if (!read) return s;
  s.userName = read->userName;
  s.password = read->password;
  s.encryptionKey = read->encryptionKey;
  s.serverName = read->serverName;
  s.logFilesToKeep = read->logFilesToKeep;
  s.minimizeToTray = read->trayIcon == 1;
  s.minimizeToTaskBar = read->minimizedWindow == 1;
  s.runOnStartup = read->runOnStartup == 1;
  s.runMinimized = RunMinimizedFlagSet(installDirectory);
  return s;
}

ConfigSettings ToConfigSettings(const WizardSettings& s) {
  ConfigSettings c;
  c.userName = s.userName;
  c.password = s.password;
  c.encryptionKey = s.encryptionKey;
  c.serverName = s.serverName;
  c.logFilesToKeep = s.logFilesToKeep;
  c.trayIcon = s.minimizeToTray ? 1 : 0;
  c.minimizedWindow = s.minimizeToTaskBar ? 1 : 0;
  c.runOnStartup = s.runOnStartup ? 1 : 0;
  return c;
}

bool FinishWizard(const std::string& installDirectory, const WizardSettings& settings,
                  bool runOnStartupBefore, Prompt& prompt) {
  const ConfigWriteReport report{prompt, kWizardCaption, Owner::Wizard, nullptr};
  if (!SaveConfigFile(installDirectory, ToConfigSettings(settings), report)) return false;
  SetRunMinimizedFlag(installDirectory, settings.runMinimized);
  if (settings.runOnStartup != runOnStartupBefore) {
    SetStartupRegistration(settings.runOnStartup, prompt, Owner::Wizard, kWizardProgramName);
  }
  return true;
}

}  // namespace arkvale
