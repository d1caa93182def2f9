// CLogDlg: the error list a recovery job shows when something failed (dialog 219): the whole
// recovery log, one line per file.
#pragma once

#include <QDialog>

namespace tarvosk {

class CLogDlg : public QDialog {
  Q_OBJECT

 public:
  CLogDlg(const QString& log, QWidget* parent);
};

}  // namespace tarvosk
