// A table model whose rows are entries of a file list (the file list view's, the search results
// view's). Reordering the rows keeps the persistent indexes, the selection and the current row
// among them, on their entries.
#pragma once

#include <QAbstractTableModel>
#include <functional>

#include "scan/FileEntry.h"

namespace tarvosk {

class EntryRowsModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  using QAbstractTableModel::QAbstractTableModel;
  // The entry of a row, or null.
  virtual FileEntry* entryAt(int row) const = 0;

 protected:
  // Runs reorder, which changes the order of the rows (never which they are) and says whether it
  // did, inside a layout change.
  void reorderRows(const std::function<bool()>& reorder);
};

}  // namespace tarvosk
