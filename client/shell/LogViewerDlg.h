#pragma once
// The log viewer (modeless, one at a time): the day's event log in three columns, oldest at the
// top, with the lines of each level hidden on request and the whole text of one message shown in
// a box. New entries appear on "Refresh logs".
#include <QDialog>
#include <memory>

#include "client/shell/LogListModel.h"

namespace Ui {
class LogViewerDlg;
}

namespace arkvale {

class EventLog;
class Prompt;

inline constexpr const char* kCannotOpenLogText = "Cannot open the log file";
inline constexpr const char* kLogMessageCaption = "Log message";

class LogViewerDialog : public QDialog {
  Q_OBJECT
 public:
  // The dialog deletes itself when it closes; it shows no rows until the first Fill.
  LogViewerDialog(EventLog& log, Prompt& prompt, QWidget* parent = nullptr);
  ~LogViewerDialog() override;

  // Reads the log again through its own reader (writers wait meanwhile) and lists the lines of
  // the levels shown, the newest row in view.
  void Fill();
  // "Refresh logs": the boxes' ticks become the filters, then Fill.
  void OnRefreshLogs();
  // The whole message of a row, in a box titled "Log message".
  void ShowOneMessage(int row);

  CLogListModel& model() { return model_; }
  const LogLevels& levels() const { return levels_; }

 protected:
  // Enter on a row shows its message, for those who do not click.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  EventLog& log_;
  Prompt& prompt_;
  std::unique_ptr<Ui::LogViewerDlg> ui_;
  CLogListModel model_;
  LogLevels levels_;
};

}  // namespace arkvale
