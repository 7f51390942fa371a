#pragma once
// The wizard's About box (dialog 100): its icon, "setwell Version 1.0", OK.
#include <QDialog>
#include <memory>

namespace Ui {
class AboutDlg;
}

namespace arkvale::setwell {

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;

 private:
  std::unique_ptr<Ui::AboutDlg> ui_;
};

}  // namespace arkvale::setwell
