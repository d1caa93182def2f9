// The file list view's model: the visible children of one folder of a file list. It holds the
// rows' entries only (they never move while the list lives) and formats each cell when asked.
// Sorting reorders the folder's own child sequence and reports a layout change.
#pragma once

#include <vector>

#include "desktop/EntryRowsModel.h"
#include "scan/DriveFileList.h"
#include "shell/FolderSort.h"

namespace tarvosk {

class FileListModel : public EntryRowsModel {
  Q_OBJECT

 public:
  explicit FileListModel(SortedFolders& sortedFolders, QObject* parent = nullptr);

  // Shows folder of list (both null: nothing). Rows follow the setting ShowEmptyFolders.
  void setFolder(DriveFileList* list, FileEntry* folder);
  DriveFileList* list() const { return list_; }
  FileEntry* folder() const { return folder_; }
  FileEntry* entryAt(int row) const override;
  // The row of the entry with that id, or -1.
  int rowOfId(std::uint64_t id) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Sorts the folder by column (unless it is already sorted that way).
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  void refreshRows();

  SortedFolders& sortedFolders_;
  DriveFileList* list_ = nullptr;
  FileEntry* folder_ = nullptr;
  std::vector<FileEntry*> rows_;
};

}  // namespace tarvosk
