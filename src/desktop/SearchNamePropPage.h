// CSearchNamePropPage (dialog 176), the search sheet's "名称" page: the file name pattern and
// the folder to look in, which Browse picks among the folders of the scanned drive.
#pragma once

#include <QWidget>
#include <string>

class QLineEdit;

namespace tarvosk {

class DriveFileList;

class CSearchNamePropPage : public QWidget {
  Q_OBJECT

 public:
  // drive: the list of the drive searched, null when it was never scanned.
  CSearchNamePropPage(const std::u16string& lookIn, DriveFileList* drive, const std::u16string& drivePath,
                      QWidget* parent = nullptr);
  std::u16string namePattern() const;
  std::u16string lookIn() const;

 private:
  void browse();

  QLineEdit* name_;
  QLineEdit* lookIn_;
  DriveFileList* drive_;
  std::u16string drivePath_;
};

}  // namespace tarvosk
