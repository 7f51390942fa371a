#pragma once
// The five pages of the wizard. Each is created for one showing, filled from the settings, run
// modally over the welcome window, and read by the page sequence when it ends.
#include <QDialog>
#include <memory>
#include <string>

#include "client/settings/Prompt.h"
#include "wizard/WizardSequence.h"
#include "wizard/WizardSettings.h"

class QPushButton;

namespace Ui {
class UserPage;
class ServerPage;
class KeyPage;
class StartupPage;
class SummaryPage;
}  // namespace Ui

namespace arkvale {

class CWizardPage : public QDialog {
  Q_OBJECT
 public:
  // The result of a page whose "Quit Wizard" the user confirmed.
  static constexpr int kQuit = 2;

  // Set by "< Back", which then ends the page as "Next ..." does.
  bool back() const { return back_; }
  // "Quit Wizard", Escape and the close box: only a confirmed quit ends the page.
  void reject() override;

 protected:
  CWizardPage(int dialogId, Prompt& prompt, QWidget* parent);
  void WireButtons(QPushButton* next, QPushButton* back, QPushButton* quit);

 private:
  Prompt& prompt_;
  bool back_ = false;
};

class CUserPage : public CWizardPage {
  Q_OBJECT
 public:
  CUserPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent);
  ~CUserPage() override;
  std::string userName() const;
  std::string password() const;
  std::string confirmation() const;

 private:
  std::unique_ptr<Ui::UserPage> ui_;
};

class CServerPage : public CWizardPage {
  Q_OBJECT
 public:
  CServerPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent);
  ~CServerPage() override;
  std::string serverName() const;

 private:
  std::unique_ptr<Ui::ServerPage> ui_;
};

class CKeyPage : public CWizardPage {
  Q_OBJECT
 public:
  CKeyPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent);
  ~CKeyPage() override;
  std::string key() const;

 private:
  std::unique_ptr<Ui::KeyPage> ui_;
};

class CStartupPage : public CWizardPage {
  Q_OBJECT
 public:
  CStartupPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent);
  ~CStartupPage() override;
  StartupChoices choices() const;

 private:
  std::unique_ptr<Ui::StartupPage> ui_;
};

class CSummaryPage : public CWizardPage {
  Q_OBJECT
 public:
  CSummaryPage(const WizardSettings& settings, Prompt& prompt, QWidget* parent);
  ~CSummaryPage() override;
  bool runArkvaleNow() const;

 private:
  std::unique_ptr<Ui::SummaryPage> ui_;
};

}  // namespace arkvale
