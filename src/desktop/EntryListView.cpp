#include "desktop/EntryListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <algorithm>

namespace tarvosk {

EntryListView::EntryListView(QWidget* parent) : QTreeView(parent) {
  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setIconSize(QSize(16, 16));
  connect(this, &QTreeView::activated, this, [this](const QModelIndex& index) { onActivated(index); });
}

void EntryListView::setRowsModel(EntryRowsModel& model, const std::vector<ColumnWidth>& widths) {
  rows_ = &model;
  setModel(&model);
  header()->setSectionsClickable(true);
  header()->setSortIndicatorShown(false);
  header()->setStretchLastSection(false);
  // The program's widths, widened where this font needs more for the texts a column holds.
  for (std::size_t c = 0; c < widths.size(); ++c) header()->resizeSection(static_cast<int>(c), fittedWidth(*this, widths[c]));
}

void EntryListView::selectRow(int row) {
  const QModelIndex index = model()->index(row, 0);
  selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  scrollTo(index);
}

std::vector<FileEntry*> EntryListView::selectedEntries() const {
  QModelIndexList rows = selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
  std::vector<FileEntry*> entries;
  entries.reserve(static_cast<std::size_t>(rows.size()));
  for (const QModelIndex& index : rows)
    if (FileEntry* e = rows_->entryAt(index.row())) entries.push_back(e);
  return entries;
}

void EntryListView::keyboardSearch(const QString& search) {
  const int current = currentIndex().isValid() ? currentIndex().row() : -1;
  if (auto row = typeAhead_.rowFor(search, current, rows_->rowCount(), [this](std::size_t r) {
        const FileEntry* entry = rows_->entryAt(static_cast<int>(r));
        return entry ? entry->name.view() : std::u16string_view();
      }))
    selectRow(*row);
}

void EntryListView::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    if (currentIndex().isValid()) onActivated(currentIndex());
    return;
  }
  QTreeView::keyPressEvent(event);
}

}  // namespace tarvosk
