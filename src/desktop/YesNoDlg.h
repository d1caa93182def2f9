// CYesNoDlg: the overwrite prompt of a recovery job (dialog 173). Its results: 2 overwrite this
// file, 1 overwrite this and every later file of the job, 0 keep the existing file (also for Esc
// and the close box).
#pragma once

#include <QDialog>

namespace tarvosk {

class CYesNoDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kYes = 2;
  static constexpr int kYesToAll = 1;
  static constexpr int kNo = 0;

  CYesNoDlg(const QString& prompt, QWidget* parent);

 protected:
  void reject() override { done(kNo); }
};

}  // namespace tarvosk
