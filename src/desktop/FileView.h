// CFileView: the contents of the folder selected in the drive tree, one row per visible child,
// sortable by any column, with type-ahead and the selection the main window's commands act on.
#pragma once

#include <QTreeView>
#include <vector>

#include "desktop/FileListModel.h"
#include "desktop/TypeAheadKeys.h"

namespace tarvosk {

class CMainFrame;

class CFileView : public QTreeView {
  Q_OBJECT

 public:
  CFileView(CMainFrame& frame, SortedFolders& sortedFolders, QWidget* parent);

  FileListModel& fileModel() { return model_; }
  // Shows folder of list (both null empties the view), sorting it first while UseAutoSort is on.
  void showFolder(DriveFileList* list, FileEntry* folder);
  // Focuses, selects and shows the row of that entry, and takes the keyboard focus.
  void selectEntry(std::uint64_t id);
  // The entries of the selected rows, in row order.
  std::vector<FileEntry*> selectedEntries() const;
  // A header click: ascending on a new column (or on a folder shown unsorted), the other way
  // on the column the folder is sorted by.
  void sortByColumn(int column);
  int sortColumn() const { return sortColumn_; }
  bool sortAscending() const { return ascending_; }

 protected:
  void keyboardSearch(const QString& search) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void onActivated(const QModelIndex& index);
  void onSelectionChanged();
  void selectRow(int row);
  void showSortArrow(bool shown);

  CMainFrame& frame_;
  FileListModel model_;
  int sortColumn_ = 0;
  bool ascending_ = true;
  TypeAheadKeys typeAhead_;
};

}  // namespace tarvosk
