// CSearchView: the results of one search, shown when a "Search(N)" node of the drive tree is
// selected.
#pragma once

#include <QTreeView>

#include "scan/DriveFileList.h"

namespace tarvosk {

class CMainFrame;

class CSearchView : public QTreeView {
  Q_OBJECT

 public:
  CSearchView(CMainFrame& frame, QWidget* parent);
  // Shows the result list of a search (null: nothing).
  void showResults(DriveFileList* results);
  DriveFileList* results() const { return results_; }
  // The selected results, in row order.
  std::vector<FileEntry*> selectedEntries() const;

 private:
  CMainFrame& frame_;
  DriveFileList* results_ = nullptr;
};

}  // namespace tarvosk
