// COptionsDlg: the Options dialog (dialog 190). Five check boxes, three of them phrased as the
// opposite of their setting; OK stores them and saves the settings at once.
#pragma once

#include <QDialog>

class QCheckBox;

namespace tarvosk {

class COptionsDlg : public QDialog {
  Q_OBJECT

 public:
  explicit COptionsDlg(QWidget* parent);
  void accept() override;

 private:
  QCheckBox* noAutoSort_;
  QCheckBox* noCondition_;
  QCheckBox* noRecycleBin_;
  QCheckBox* exactLengths_;
  QCheckBox* hideEmptyFolders_;
  QCheckBox* sameDriveWarning_;
};

}  // namespace tarvosk
