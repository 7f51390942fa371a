// The main window's Log Viewer and Configure (Classic) commands.
#include "client/document/ArkvaleDoc.h"
#include "client/shell/ConfigDlg.h"
#include "client/shell/LogViewerDlg.h"
#include "client/shell/MainFrame.h"

namespace arkvale {

void CMainFrame::OnLogViewer() {
  if (logViewer_ != nullptr) {
    ShowInFront(logViewer_);
    return;
  }
  logViewer_ = new LogViewerDialog(doc_.eventLog, doc_.prompt(), this);
  SetBoxOwner(Owner::LogViewer, logViewer_);
  logViewer_->show();
  logViewer_->Fill();
}

void CMainFrame::OnConfigure() {
  const ClassicConfig loaded = LoadClassicConfig(doc_.installDirectory);
  CConfigDlg dialog(
      loaded, doc_.prompt(),
      [this, &loaded](const ClassicConfig& values) {
        return SaveClassicConfig(doc_, values, loaded.settings.runOnStartup,
                                 [this] { RemoveTrayIcon(); });
      },
      this);
  SetBoxOwner(Owner::ConfigDialog, &dialog);
  dialog.exec();
}

}  // namespace arkvale
