// arkvale: the main program.
#include <QApplication>
#include <cstdlib>

#include "client/scheduler/AutomaticBackup.h"
#include "client/settings/Prompt.h"
#include "client/shell/ArkvaleApp.h"
#include "client/shell/GuiPrompt.h"
#include "client/transfer/RunFlags.h"

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromLatin1(arkvale::kApplicationTitle));
  arkvale::CGuiPrompt prompt;
  int exitCode = 0;
  {
    arkvale::CArkvaleApp arkvaleApp(prompt);
    if (!arkvaleApp.InitInstance()) return 0;
    exitCode = QApplication::exec();
    // A run still going holds the dialog and the document; the process ends around it, as it
    // would end around any thread when the window is gone.
    if (arkvale::backupInProgress || arkvale::restoreInProgress || arkvale::deleteInProgress ||
        arkvale::automaticBackupsRunning > 0) {
      std::_Exit(exitCode);
    }
  }
  return exitCode;
}
