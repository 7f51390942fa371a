#include "client/shell/ArkvaleApp.h"

#include "client/document/ArkvaleDoc.h"
#include "client/settings/ConfigFile.h"
#include "client/shell/MainFrame.h"
#include "platform/Drives.h"
#include "platform/Install.h"
#include "platform/Sockets.h"

namespace arkvale {

CArkvaleApp::CArkvaleApp(Prompt& prompt) : prompt_(prompt) {}

CArkvaleApp::~CArkvaleApp() {
  // The window goes before the document it shows.
  frame_.reset();
  doc_.reset();
}

bool CArkvaleApp::InitInstance() {
  if (checker_.PreviousInstanceRunning()) {
    prompt_.ShowMessage(kPreviousInstanceText, kApplicationTitle, Icon::None, Owner::None);
    checker_.ActivatePreviousInstance();
    return false;
  }
  if (plat::SocketsStartup() != 0) {
    prompt_.ShowMessage(kSocketsFailedText, kApplicationTitle, Icon::None, Owner::None);
    return false;
  }
  plat::EnsureDriveTable();
  // Installed from a package: the user's installation directory comes from the installed
  // programs on the first start, and follows them when they move. A tool that cannot be linked
  // is reported by the run that needs it.
  if (const std::string programDir = plat::InstalledProgramDirectory(); !programDir.empty()) {
    std::vector<std::string> installed;
    std::string error;
    plat::LinkInstalledPrograms(programDir, installed, error);
  }
  doc_ = std::make_unique<CArkvaleDoc>(prompt_);
  frame_ = std::make_unique<CMainFrame>(*doc_);
  frame_->show();
  if (RunMinimizedFlagSet(doc_->installDirectory)) frame_->showMinimized();
  if (!checker_.PreviousInstanceRunning()) checker_.TrackFirstInstance(frame_.get());
  return true;
}

}  // namespace arkvale
