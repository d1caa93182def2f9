// CLoggingDlg: the hidden logging dialog (dialog 223, Shift+L). Enabling logging creates the log
// file anew at the path shown.
#pragma once

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace tarvosk {

class CLoggingDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CLoggingDlg(QWidget* parent);
  void accept() override;

 private:
  QRadioButton* enable_;
  QRadioButton* disable_;
  QLineEdit* path_;
};

}  // namespace tarvosk
