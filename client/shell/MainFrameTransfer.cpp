// The main window's Restore and Delete commands: one dialog of each kind, filled from the
// server's listing while the status bar shows how much of it has come.
#include <QApplication>
#include <QTimer>

#include "client/document/ArkvaleDoc.h"
#include "client/shell/MainFrame.h"
#include "client/shell/ProgressBar.h"
#include "client/shell/StatusBar.h"

namespace arkvale {
namespace {

constexpr unsigned long kListingPollMs = 50;
constexpr int kProgressBarShare = 70;

}  // namespace

void CMainFrame::OnRestore() {
  if (!Connected()) return;
  if (restoreDlg_ != nullptr) {
    BringForward(restoreDlg_);
    return;
  }
  restoreDlg_ = new CRestoreDlg(doc_, *session_, this);
  SetBoxOwner(Owner::RestoreDialog, restoreDlg_);
  FetchIndex(restoreDlg_);
}

void CMainFrame::OnDelete() {
  if (!Connected()) return;
  if (deleteDlg_ != nullptr) {
    BringForward(deleteDlg_);
    return;
  }
  deleteDlg_ = new CDeleteDlg(doc_, *session_, this);
  SetBoxOwner(Owner::DeleteDialog, deleteDlg_);
  FetchIndex(deleteDlg_);
}

bool CMainFrame::Connected() {
  if (session_->sessionSocket != -1) return true;
  doc_.prompt().ShowMessage("Please connect", kApplicationTitle, Icon::None, Owner::MainWindow);
  return false;
}

void CMainFrame::BringForward(CIndexDlg* dialog) {
  if (dialog->Retrieving()) return;
  // Also a dialog left hidden by a retrieval that found nothing: it then shows an empty list.
  ShowInFront(dialog);
}

void CMainFrame::FetchIndex(CIndexDlg* dialog) {
  auto counters = std::make_shared<RetrievalCounters>();
  dialog->StartRetrieval(counters);
  // The window keeps answering while it waits: the retrieval's boxes are shown by this thread,
  // and its rows and the dialog's showing come as events that end a wait at once. The timer
  // brings the counters' progress to the bar.
  QTimer tick;
  tick.start(kListingPollMs);
  auto wait = [] { QApplication::processEvents(QEventLoop::WaitForMoreEvents); };
  while (counters->expected == 0) wait();
  CProgressBar bar(statusBar_);
  bar.Create(QStringLiteral("Communications in progress"), kProgressBarShare, 100);
  bar.SetRange(0, 100);
  int shown = 0;
  for (;;) {
    const int32_t expected = counters->expected;
    const int32_t received = counters->received;
    if (expected <= 0 || received >= expected) break;
    const int percent = static_cast<int>(int64_t{received} * 100 / expected);
    for (; shown < percent; ++shown) {
      bar.Step();
      QApplication::processEvents();
    }
    wait();
  }
  bar.Destroy();
  // The retrieval ends on its own: its pause as it lets go of the lock is not this thread's.
}

}  // namespace arkvale
