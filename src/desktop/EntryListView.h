// EntryListView: a list view whose rows are entries of a file list (the file list view, the
// search results view): whole rows with extended selection, the columns' widths, type-ahead on
// the names, Enter acting as a double click on the current row, and the selection in row order.
#pragma once

#include <QTreeView>
#include <vector>

#include "desktop/ColumnWidths.h"
#include "desktop/EntryRowsModel.h"
#include "desktop/TypeAheadKeys.h"

namespace tarvosk {

class EntryListView : public QTreeView {
  Q_OBJECT

 public:
  // The entries of the selected rows, in row order.
  std::vector<FileEntry*> selectedEntries() const;

 protected:
  explicit EntryListView(QWidget* parent);
  // Shows the rows of model (a member of the derived view) in columns of those first widths.
  void setRowsModel(EntryRowsModel& model, const std::vector<ColumnWidth>& widths);
  // Makes row the current and only selected row, scrolled into view.
  void selectRow(int row);
  // A double click on a row, or Enter on the current one.
  virtual void onActivated(const QModelIndex& index) = 0;

  void keyboardSearch(const QString& search) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  EntryRowsModel* rows_ = nullptr;
  TypeAheadKeys typeAhead_;
};

}  // namespace tarvosk
