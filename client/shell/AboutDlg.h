#pragma once
// The About box (dialog 100): the program's icon, its name and version, OK.
#include <QDialog>
#include <memory>

namespace Ui {
class AboutDlg;
}

namespace arkvale {

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;

 private:
  std::unique_ptr<Ui::AboutDlg> ui_;
};

}  // namespace arkvale
