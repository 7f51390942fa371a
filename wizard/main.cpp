// setwell: the configuration wizard.
#include <QApplication>
#include <QMessageBox>

#include "client/settings/InstallPaths.h"
#include "platform/Process.h"
#include "platform/Sockets.h"
#include "wizard/WizardDlg.h"
#include "wizard/WizardPrompt.h"
#include "wizard/WizardSettings.h"
#include "wizard/resources/Pictures.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(arkvale::kWizardProgramName));
  QApplication::setWindowIcon(arkvale::WizardIcon());
  if (plat::SocketsStartup() != 0) {
    QMessageBox::critical(nullptr, QString::fromLatin1(arkvale::kWizardProgramName),
                          QStringLiteral("Windows sockets initialization failed."));
    // Nothing was configured: the waiting main program must not take this for Finish.
    return arkvale::CWizardDlg::kQuit;
  }
  arkvale::CWizardPrompt prompt;
  arkvale::CWizardDlg wizard(arkvale::kInstallDirectory, prompt, [] {
    // Returns only when the main program could not be started; the wizard then just ends.
    plat::ReplaceProcess(arkvale::kArkvalePath, {"arkvale.exe"});
  });
  prompt.SetOwnerWindow(&wizard);
  return wizard.exec();
}
