// CFileView: the contents of the folder selected in the drive tree, one row per visible child,
// sortable by any column, with type-ahead and the selection the main window's commands act on.
#pragma once

#include "desktop/EntryListView.h"
#include "desktop/FileListModel.h"

namespace tarvosk {

class CMainFrame;

class CFileView : public EntryListView {
  Q_OBJECT

 public:
  CFileView(CMainFrame& frame, SortedFolders& sortedFolders, QWidget* parent);

  FileListModel& fileModel() { return model_; }
  // Shows folder of list (both null empties the view), sorting it first while UseAutoSort is on.
  void showFolder(DriveFileList* list, FileEntry* folder);
  // Focuses, selects and shows the row of that entry, and takes the keyboard focus.
  void selectEntry(std::uint64_t id);
  // A header click: ascending on a new column (or on a folder shown unsorted), the other way
  // on the column the folder is sorted by.
  void sortByColumn(int column);
  int sortColumn() const { return sortColumn_; }
  bool sortAscending() const { return ascending_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void onActivated(const QModelIndex& index) override;

 private:
  void onSelectionChanged();
  void showSortArrow(bool shown);

  CMainFrame& frame_;
  FileListModel model_;
  int sortColumn_ = 0;
  bool ascending_ = true;
};

}  // namespace tarvosk
