// CLookInBrowseDlg: the search sheet's folder browser. It shows the folders of the scanned drive's
// list, deleted ones among them (which no file manager shows), under the drive; the folder chosen,
// or a path typed into its edit box, becomes the look-in path once it names a folder of the list.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvosk {

class DriveFileList;

class CLookInBrowseDlg : public QDialog {
  Q_OBJECT

 public:
  // drive: the drive's list, null when it was never scanned (only the drive shows then);
  // lookIn: the folder shown selected at first, when it names one.
  CLookInBrowseDlg(DriveFileList* drive, const std::u16string& drivePath, const std::u16string& lookIn,
                   QWidget* parent);
  void accept() override;
  const std::u16string& chosenPath() const { return chosen_; }
  QTreeWidget* folders() const { return folders_; }

 private:
  void fill(QTreeWidgetItem* item);
  std::u16string pathOf(const QTreeWidgetItem* item) const;
  void select(const std::u16string& lookIn);

  DriveFileList* drive_;
  std::u16string drivePath_;
  QTreeWidget* folders_;
  QLineEdit* path_;
  std::u16string chosen_;
};

}  // namespace tarvosk
