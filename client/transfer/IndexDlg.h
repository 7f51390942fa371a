#pragma once
// What the Restore and Delete dialogs share: the list of stored files with its ticks, sorting,
// Search, Check all / Uncheck all, the start and stop buttons, and the close guard while a run
// is under way. Modeless; the dialog deletes itself when it closes.
#include <QDialog>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "client/resources/ResourceIds.h"
#include "client/transfer/IndexListModel.h"
#include "client/transfer/ServerIndex.h"

class QLineEdit;
class QPushButton;
class QTableView;

namespace arkvale {

class CArkvaleDoc;
class CSession;

class CIndexDlg : public QDialog, public IndexSink {
  Q_OBJECT
 public:
  ~CIndexDlg() override;

  CIndexListModel& model() { return model_; }
  // The ticked rows, top to bottom as shown: what a run takes when it starts.
  std::vector<IndexEntry> TickedEntries() const { return model_.TickedEntries(); }

  // Starts the retrieval of the listing on a worker thread; the dialog stays hidden until the
  // listing has come.
  void StartRetrieval(std::shared_ptr<RetrievalCounters> counters);
  // While true the dialog is not brought forward: it would show before its rows. False once
  // the rows are shown or no listing will come, even while the retrieval still lets go of the
  // lock.
  bool Retrieving() const;
  // Waits for the worker to end: a run when it asks the user nothing more, or a retrieval (at
  // most its pause as it lets go of the lock).
  void JoinWorker();

  void OnSearch();
  void OnCheckAll();
  void OnUncheckAll();
  void OnStop();
  // Close window (and Esc): refused with a box while the dialog's run is under way.
  void OnCloseWindow();

  // IndexSink, called from worker threads too.
  void SetRows(std::vector<IndexEntry> rows) override;
  void SetSearchText(const std::string& text) override;
  void ShowDialog() override;

 protected:
  struct Controls {
    QTableView* list;
    QLineEdit* searchText;
    QPushButton* search;
    QPushButton* start;
    QPushButton* stop;
    QPushButton* checkAll;
    QPushButton* uncheckAll;
    QPushButton* close;
    QPushButton* ok;
  };

  CIndexDlg(CArkvaleDoc& doc, CSession& session, QWidget* parent);
  // Called by the derived dialog once its layout is set up.
  void Wire(const Controls& controls);
  // Gives the controls both dialogs have their object names and wires them; form is the derived
  // dialog's layout, whose list, start and stop buttons have ids of their own.
  template <typename Form>
  void NameAndWire(Form& form, int dialogId, int listId, int startId, int stopId);

  // The user-interface thread pauses after starting a run, as the run gets going.
  static constexpr unsigned long kStartPauseMs = 500;

  virtual std::atomic<bool>& RunFlag() const = 0;
  virtual const char* StopFile() const = 0;
  virtual const char* StillRunningText() const = 0;
  virtual void OnStart() = 0;
  // Whether the start button may follow the tick count.
  virtual bool StartAvailable() const { return true; }
  // The start button follows the ticks; a dialog with more ways to start lets them follow too.
  virtual void EnableStart(bool enabled);

  // Starts a run (which clears the dialog's run flag at its end) on the worker thread. However
  // the run ends, the stop button is disabled after it and a stop file pressed for too late is
  // taken away, so it cannot stop the next run before it begins.
  void StartRun(std::function<void()> run);

  // Runs f on the user-interface thread, now or as soon as it gets there; dropped with the
  // dialog if it is gone by then.
  template <typename F>
  void OnInterfaceThread(F f);

  CArkvaleDoc& doc_;
  CSession& session_;
  Controls controls_{};
  std::thread worker_;

  void closeEvent(QCloseEvent* event) override;
  void reject() override;
  // Enter never ends the dialog.
  void accept() override {}

 private:
  void OnListClicked(const QModelIndex& index);
  void Recount();
  void ShowStillRunning();
  // The worker's last step after a run, whatever its end.
  void RunEnded();

  CIndexListModel model_;
  std::atomic<bool> retrieving_{false};
  std::shared_ptr<RetrievalCounters> counters_;
};

template <typename Form>
void CIndexDlg::NameAndWire(Form& form, int dialogId, int listId, int startId, int stopId) {
  setObjectName(ids::IdName(dialogId));
  form.fileList->setObjectName(ids::IdName(listId));
  form.searchText->setObjectName(ids::IdName(ids::kSearchText));
  form.searchButton->setObjectName(ids::IdName(ids::kSearch));
  form.startButton->setObjectName(ids::IdName(startId));
  form.stopButton->setObjectName(ids::IdName(stopId));
  form.checkAllButton->setObjectName(ids::IdName(ids::kCheckAll));
  form.uncheckAllButton->setObjectName(ids::IdName(ids::kUncheckAll));
  form.closeButton->setObjectName(ids::IdName(ids::kIdCancel));
  form.okButton->setObjectName(ids::IdName(ids::kIdOk));
  Wire({form.fileList, form.searchText, form.searchButton, form.startButton, form.stopButton,
        form.checkAllButton, form.uncheckAllButton, form.closeButton, form.okButton});
}

template <typename F>
void CIndexDlg::OnInterfaceThread(F f) {
  if (QThread::currentThread() == thread()) {
    f();
  } else {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
  }
}

}  // namespace arkvale
