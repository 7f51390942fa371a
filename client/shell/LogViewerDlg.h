#pragma once
// The log viewer (modeless, one at a time): the day's event log in three columns, oldest at the
// top, with the lines of each level hidden on request and the whole text of one message shown in
// a box. New entries appear on "Refresh logs". The log is read and its rows made on a thread of
// the dialog's own, so a log of any length never holds up the window or the log's writers.
#include <QDialog>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

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

  // Starts reading the log again and returns; when the rows are made they replace the list, the
  // newest row in view, and Filled is emitted. "Refresh logs" is disabled meanwhile.
  void Fill();
  bool Filling() const { return filling_; }
  // "Refresh logs": the boxes' ticks become the filters, then Fill.
  void OnRefreshLogs();
  // The whole message of a row, in a box titled "Log message".
  void ShowOneMessage(int row);

  CLogListModel& model() { return model_; }
  const LogLevels& levels() const { return levels_; }

 signals:
  void Filled();

 protected:
  // Enter on a row shows its message, for those who do not click.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  EventLog& log_;
  Prompt& prompt_;
  std::unique_ptr<Ui::LogViewerDlg> ui_;
  // Shows the rows of a finished read; none when the log could not be read.
  void ShowRows(std::optional<std::vector<LogRow>> rows);

  CLogListModel model_;
  LogLevels levels_;
  bool filling_ = false;
  // Last, so it stops and is joined before anything it uses goes.
  std::jthread reader_;
};

}  // namespace arkvale
