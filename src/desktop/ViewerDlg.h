// CViewerDlg: the cluster and data viewer (dialog 165). It lists the units that hold a deleted
// file's data, in red those another file now occupies, shows the selected unit's bytes in the
// hex view, and ends with 182 to recover the whole file or 210 to recover the selected units.
#pragma once

#include <QDialog>
#include <cstdint>
#include <vector>

#include "viewers/UnitList.h"

class QLabel;
class QListView;
class QPushButton;

namespace tarvosk {

class HexView;
class UnitListModel;

class CViewerDlg : public QDialog {
  Q_OBJECT

 public:
  // Lists the entry's units at once, telling the user when the file is damaged, holds no data
  // or is compressed.
  CViewerDlg(const FileEntry& entry, QWidget* parent);

  // After a 210 result: the numbers of the selected units, in list order.
  const std::vector<std::uint64_t>& clusterSelection() const { return clusterSelection_; }

  const FileUnits& units() const { return units_; }
  QListView* unitList() const { return list_; }
  HexView* dataView() const { return data_; }
  QLabel* dataCaption() const { return caption_; }

 private:
  void showUnit(int row);
  void onSelectionChanged();
  void undeleteSelection();

  const FileEntry& entry_;
  FileUnits units_;
  UnitListModel* model_;
  QListView* list_;
  QLabel* caption_;
  HexView* data_;
  QPushButton* undeleteSelection_;
  std::vector<std::uint64_t> clusterSelection_;
};

}  // namespace tarvosk
