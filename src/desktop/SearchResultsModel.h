// The search results view's model: the results of one search, row i being the entry of the
// drive's list whose id is child i of the result set's folder. It holds no rows of its own and
// formats each cell when asked; sorting reorders the result set's folder.
#pragma once

#include "desktop/EntryRowsModel.h"
#include "scan/DriveFileList.h"
#include "shell/ResultRows.h"

namespace tarvosk {

class SearchResultsModel : public EntryRowsModel {
  Q_OBJECT

 public:
  using EntryRowsModel::EntryRowsModel;

  // Shows a result set over the list of the drive searched (either null: nothing).
  void setResults(DriveFileList* results, DriveFileList* drive);
  DriveFileList* results() const { return results_; }
  DriveFileList* drive() const { return drive_; }
  FileEntry* entryAt(int row) const override;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  DriveFileList* results_ = nullptr;
  DriveFileList* drive_ = nullptr;
  FileEntry* folder_ = nullptr;  // the result set's one folder entry
};

}  // namespace tarvosk
