#include "client/shell/ArkvaleApp.h"

#include "client/settings/ConfigFile.h"
#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"
#include "platform/Drives.h"
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
  doc_ = std::make_unique<CArkvaleDoc>(prompt_);
  frame_ = std::make_unique<CMainFrame>(*doc_);
  frame_->show();
  if (RunMinimizedFlagSet(doc_->installDirectory)) frame_->showMinimized();
  if (!checker_.PreviousInstanceRunning()) checker_.TrackFirstInstance(frame_.get());
  return true;
}

}  // namespace arkvale
