#pragma once
// The classic configuration dialog (modal): every setting at once. OK takes the log count first
// and refuses one that is not an integer from 1 to 30; then the save runs while the dialog is
// still open, and the dialog closes only when the save succeeded.
#include <QDialog>
#include <functional>
#include <memory>

#include "client/shell/ClassicConfig.h"

namespace Ui {
class ConfigDlg;
}

namespace arkvale {

class Prompt;

class CConfigDlg : public QDialog {
  Q_OBJECT
 public:
  using Save = std::function<bool(const ClassicConfig&)>;

  CConfigDlg(const ClassicConfig& values, Prompt& prompt, Save save, QWidget* parent = nullptr);
  ~CConfigDlg() override;

  void accept() override;

 private:
  void Show(const ClassicConfig& values);

  Prompt& prompt_;
  Save save_;
  std::unique_ptr<Ui::ConfigDlg> ui_;
};

}  // namespace arkvale
