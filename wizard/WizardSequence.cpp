#include "wizard/WizardSequence.h"

#include <algorithm>

namespace arkvale {

bool KeepsCharacterRule(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  });
}

bool ConfirmQuitWizard(Prompt& prompt) {
  return prompt.AskYesNo(kReallyExitText, "Really Exit", Icon::None, Owner::Wizard);
}

bool ConfirmCancelPage(Prompt& prompt) {
  return prompt.AskYesNo(kReallyCancelText, "Really cancel", Icon::None, Owner::Wizard);
}

WizardSequence::WizardSequence(const WizardSettings& settings, Prompt& prompt)
    : settings_(settings), prompt_(prompt) {}

void WizardSequence::Refuse(const char* text) {
  prompt_.ShowMessage(text, kWizardProgramName, Icon::None, Owner::Wizard);
}

void WizardSequence::EndUserPage(const std::string& userName, const std::string& password,
                                 const std::string& confirmation) {
  // The name stays as typed even when refused; a refused password is dropped.
  settings_.userName = userName;
  if (!KeepsCharacterRule(userName)) {
    Refuse("Incorrect characters entered for user name");
  } else if (password.size() < kMinimumPasswordLength) {
    Refuse("Password entered was less than 6 characters in length");
  } else if (password != confirmation) {
    Refuse("The 2 passwords entered are not the same");
  } else if (!KeepsCharacterRule(password)) {
    Refuse("Incorrect characters entered for password");
  } else {
    settings_.password = password;
    page_ = WizardPage::Server;
  }
}

void WizardSequence::EndServerPage(const std::string& serverName, bool back) {
  settings_.serverName = serverName;
  // Checked whichever button ended the page.
  if (!KeepsCharacterRule(serverName)) {
    Refuse("Something incorrect entered for the backup server name");
    return;
  }
  page_ = back ? WizardPage::User : WizardPage::Key;
}

void WizardSequence::EndKeyPage(const std::string& key, bool back) {
  settings_.encryptionKey = key;
  page_ = back ? WizardPage::Server : WizardPage::Startup;
}

void WizardSequence::EndStartupPage(const StartupChoices& choices, bool back) {
  settings_.runOnStartup = choices.runOnStartup;
  settings_.runMinimized = choices.runMinimized;
  settings_.minimizeToTaskBar = choices.minimizeToTaskBar;
  settings_.minimizeToTray = choices.minimizeToTray;
  page_ = back ? WizardPage::Key : WizardPage::Summary;
}

void WizardSequence::EndSummaryPage(bool back) {
  page_ = back ? WizardPage::Startup : WizardPage::Finished;
}

}  // namespace arkvale
