#include "wizard/WizardDlg.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QShortcut>

#include "platform/SingleInstance.h"
#include "ui_WizardDlg.h"
#include "wizard/AboutDlg.h"
#include "wizard/Pages.h"
#include "wizard/WizardSequence.h"
#include "wizard/resources/Pictures.h"
#include "wizard/resources/WizardIds.h"

namespace arkvale {

namespace ids = wizard_ids;

CWizardDlg::CWizardDlg(const std::string& installDirectory, Prompt& prompt,
                       std::function<void()> startArkvale, QWidget* parent)
    : QDialog(parent),
      ui_(std::make_unique<Ui::WizardDlg>()),
      installDirectory_(installDirectory),
      prompt_(prompt),
      startArkvale_(std::move(startArkvale)),
      settings_(LoadWizardSettings(installDirectory)) {
  ui_->setupUi(this);
  setObjectName(ids::IdName(ids::kWizardDialog));
  setWindowIcon(WizardIcon());
  ui_->pictureLabel->setPixmap(WelcomePicture());
  ui_->okButton->setObjectName(ids::IdName(ids::kIdOk));
  ui_->nextButton->setObjectName(ids::IdName(ids::kNext));
  ui_->quitButton->setObjectName(ids::IdName(ids::kIdCancel));
  connect(ui_->nextButton, &QPushButton::clicked, this, &CWizardDlg::OnNext);
  connect(ui_->quitButton, &QPushButton::clicked, this, &CWizardDlg::reject);

  // The window manager owns the title bar's menu here, so the About item lives in a menu of the
  // window's own: right click, or Alt+Space as on a system menu.
  systemMenu_ = new QMenu(this);
  systemMenu_->addSeparator();
  QAction* about = systemMenu_->addAction(QStringLiteral("&About setwell..."));
  about->setObjectName(ids::IdName(ids::kAboutCommand));
  connect(about, &QAction::triggered, this, [this] {
    setwell::CAboutDlg dialog(this);
    dialog.exec();
  });
  auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Alt+Space")), this);
  connect(shortcut, &QShortcut::activated, this,
          [this] { systemMenu_->popup(mapToGlobal(QPoint(0, 0))); });
}

CWizardDlg::~CWizardDlg() = default;

void CWizardDlg::contextMenuEvent(QContextMenuEvent* event) {
  systemMenu_->popup(event->globalPos());
}

void CWizardDlg::accept() {
  if (!running_) OnNext();
}

void CWizardDlg::reject() {
  if (ConfirmQuitWizard(prompt_)) done(kQuit);
}

void CWizardDlg::OnNext() {
  running_ = true;
  const int exitCode = RunPages();
  running_ = false;
  done(exitCode);
}

int CWizardDlg::RunPages() {
  const bool runOnStartupBefore = settings_.runOnStartup;
  WizardSequence sequence(settings_, prompt_);
  for (;;) {
    const WizardSettings& current = sequence.settings();
    switch (sequence.page()) {
      case WizardPage::User: {
        CUserPage page(current, prompt_, this);
        if (page.exec() == CWizardPage::kQuit) return kQuit;
        sequence.EndUserPage(page.userName(), page.password(), page.confirmation());
        break;
      }
      case WizardPage::Server: {
        CServerPage page(current, prompt_, this);
        if (page.exec() == CWizardPage::kQuit) return kQuit;
        sequence.EndServerPage(page.serverName(), page.back());
        break;
      }
      case WizardPage::Key: {
        CKeyPage page(current, prompt_, this);
        if (page.exec() == CWizardPage::kQuit) return kQuit;
        sequence.EndKeyPage(page.key(), page.back());
        break;
      }
      case WizardPage::Startup: {
        CStartupPage page(current, prompt_, this);
        if (page.exec() == CWizardPage::kQuit) return kQuit;
        sequence.EndStartupPage(page.choices(), page.back());
        break;
      }
      case WizardPage::Summary: {
        CSummaryPage page(current, prompt_, this);
        if (page.exec() == CWizardPage::kQuit) return kQuit;
        sequence.EndSummaryPage(page.back());
        if (sequence.page() == WizardPage::Finished) {
          settings_ = sequence.settings();
          // A file that could not be written leaves the main program unstarted: it would
          // start without the settings just typed.
          const bool written =
              FinishWizard(installDirectory_, settings_, runOnStartupBefore, prompt_);
          // A running arkvale (the one that started the wizard and waits for it, for one) takes
          // over what was written; a second start would only meet it and end.
          if (written && page.runArkvaleNow() && startArkvale_ &&
              !plat::InstanceRunning(plat::kArkvaleInstanceName)) {
            startArkvale_();
          }
          return kFinished;
        }
        break;
      }
      case WizardPage::Finished:
        return kFinished;
    }
  }
}

}  // namespace arkvale
