#pragma once
// The settings the wizard edits: loaded from the configuration file and the run_minimized flag
// file, written back by Finish together with the flag file and the start-up registration.
#include <string>

#include "client/settings/ConfigFile.h"
#include "client/settings/Prompt.h"

namespace arkvale {

// The wizard's own name: the caption of its boxes.
inline constexpr const char* kWizardProgramName = "setwell";

struct WizardSettings {
  std::string userName;
  std::string password;
  std::string encryptionKey;
  std::string serverName;
  // Not edited: written back as read.
  int logFilesToKeep = 5;
  // Unlike the main program, the wizard offers the tray unticked when nothing was configured.
  bool minimizeToTray = false;
  bool minimizeToTaskBar = false;
  bool runOnStartup = false;
  bool runMinimized = false;
};

WizardSettings LoadWizardSettings(const std::string& installDirectory);

ConfigSettings ToConfigSettings(const WizardSettings& settings);

// Writes the configuration file; then, only if that worked, the flag file and the start-up
// registration (changed only when it differs from runOnStartupBefore), so the file, the flag and
// the registration never disagree with each other. False when the file could not be written.
bool FinishWizard(const std::string& installDirectory, const WizardSettings& settings,
                  bool runOnStartupBefore, Prompt& prompt);

}  // namespace arkvale
