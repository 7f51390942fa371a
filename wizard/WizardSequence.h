#pragma once
// The order of the wizard's pages and the checks made when a page ends. The dialogs show the
// page this names, filled from settings(), and hand back what the user typed and which button
// ended the page; a rejected entry names the same page again.
#include <string>

#include "client/settings/Prompt.h"
#include "wizard/WizardSettings.h"

namespace arkvale {

enum class WizardPage { User, Server, Key, Startup, Summary, Finished };

inline constexpr const char* kReallyExitText =
    "This will exit the Configuration Wizard\nIf you exit now there will be no modifications "
    "made\nAre you sure?";
inline constexpr const char* kReallyCancelText =
    "Your changes have not been save\nIf you cancel now you will lose your changes\nAre you sure?";
inline constexpr int kMinimumPasswordLength = 6;

// ASCII letters and digits only; an empty text keeps the rule.
bool KeepsCharacterRule(const std::string& text);

// The quit questions of the welcome dialog and of the pages; true when the user says Yes.
bool ConfirmQuitWizard(Prompt& prompt);
bool ConfirmCancelPage(Prompt& prompt);

struct StartupChoices {
  bool runOnStartup = false;
  bool runMinimized = false;
  bool minimizeToTaskBar = false;
  bool minimizeToTray = false;
};

class WizardSequence {
 public:
  WizardSequence(const WizardSettings& settings, Prompt& prompt);

  WizardPage page() const { return page_; }
  const WizardSettings& settings() const { return settings_; }

  void EndUserPage(const std::string& userName, const std::string& password,
                   const std::string& confirmation);
  void EndServerPage(const std::string& serverName, bool back);
  void EndKeyPage(const std::string& key, bool back);
  void EndStartupPage(const StartupChoices& choices, bool back);
  // "Finish" (back false) ends the sequence; the caller then writes the settings.
  void EndSummaryPage(bool back);

 private:
  void Refuse(const char* text);

  WizardSettings settings_;
  Prompt& prompt_;
  WizardPage page_ = WizardPage::User;
};

}  // namespace arkvale
