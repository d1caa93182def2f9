// CDriveView and CHDView: the lists of logical and physical drives, shown when the drive tree's
// "逻辑驱动器" or "物理驱动器" node is selected. Opening a row selects that drive in the tree.
#pragma once

#include <QTreeView>

#include "desktop/ColumnWidths.h"
#include "desktop/DriveListModel.h"

namespace tarvosk {

class CMainFrame;

// The columns of the two lists, and a list view's columns set to them.
extern const ColumnWidth kLogicalDriveColumns[3];
extern const ColumnWidth kPhysicalDriveColumns[3];
void fitDriveListColumns(QTreeView& view, const ColumnWidth (&widths)[3]);

class DriveListView : public QTreeView {
  Q_OBJECT

 public:
  DriveListView(CMainFrame& frame, DriveListModel* model, const ColumnWidth (&widths)[3], QWidget* parent);
  DriveListModel& driveModel() { return *model_; }
  // Adds missing rows (and updates the existing ones); empties the list first when asked.
  virtual void fill(bool emptyFirst) = 0;

 protected:
  CMainFrame& frame_;
  DriveListModel* model_;
};

class CDriveView : public DriveListView {
  Q_OBJECT

 public:
  CDriveView(CMainFrame& frame, QWidget* parent);
  void fill(bool emptyFirst) override;

 protected:
  // With no drive at all, the list says how to attach a disk image.
  void paintEvent(QPaintEvent* event) override;
};

class CHDView : public DriveListView {
  Q_OBJECT

 public:
  CHDView(CMainFrame& frame, QWidget* parent);
  void fill(bool emptyFirst) override;

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
};

}  // namespace tarvosk
