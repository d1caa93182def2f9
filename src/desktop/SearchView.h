// CSearchView: the results of one search, shown when a "Search(N)" node of the drive tree is
// selected: each matching file with the folder it was found in, its size, type, date and
// condition, sortable by any column; the main window's file commands act on its selection.
#pragma once

#include <map>

#include "desktop/EntryListView.h"
#include "desktop/SearchResultsModel.h"

namespace tarvosk {

class CMainFrame;

class CSearchView : public EntryListView {
  Q_OBJECT

 public:
  CSearchView(CMainFrame& frame, QWidget* parent);

  SearchResultsModel& resultsModel() { return model_; }
  // Shows a result set over the list of the drive it searched (null: nothing), selects the first
  // row and reports the number of results.
  void showResults(DriveFileList* results, DriveFileList* drive);
  DriveFileList* results() const { return model_.results(); }
  // A list about to go (a closed search, a drive scanned again): the view lets go of it.
  void forgetList(const DriveFileList* list);
  // A header click: ascending on a new column, the other way on the column the results are
  // sorted by.
  void sortByColumn(int column);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void onActivated(const QModelIndex& index) override;

 private:
  struct SortOrder {
    int column;
    bool ascending;
  };
  void onSelectionChanged(const QItemSelection& selected);
  void showStatus();
  void showSortArrow();

  CMainFrame& frame_;
  SearchResultsModel model_;
  // How each result set shown here was last sorted; the order itself lies in the set.
  std::map<const DriveFileList*, SortOrder> sorted_;
};

}  // namespace tarvosk
