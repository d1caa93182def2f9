#include "desktop/FileView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>

#include "desktop/MainFrame.h"
#include "res/CommandIds.h"
#include "settings/Settings.h"
#include "viewers/PictureFormat.h"

namespace tarvosk {

CFileView::CFileView(CMainFrame& frame, SortedFolders& sortedFolders, QWidget* parent)
    : EntryListView(parent), frame_(frame), model_(sortedFolders, this) {
  setRowsModel(model_, {{170, {}},
                        {70, {QStringLiteral("1024.0 KB"), QStringLiteral("1023 字节")}},
                        {110, {QStringLiteral("已删除的文件 (JPEG)"), QStringLiteral("已删除的文件夹")}},
                        {110, {QStringLiteral("00/00/0000  00:00")}},
                        {100, {QStringLiteral("不可恢复"), QStringLiteral("可能较好")}}});
  connect(header(), &QHeaderView::sectionClicked, this, &CFileView::sortByColumn);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CFileView::onSelectionChanged);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { frame_.updateActions(); });
}

void CFileView::showSortArrow(bool shown) {
  header()->setSortIndicatorShown(shown);
  if (shown) header()->setSortIndicator(sortColumn_, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CFileView::showFolder(DriveFileList* list, FileEntry* folder) {
  setUpdatesEnabled(false);
  model_.setFolder(list, folder);
  const bool autoSort = settings().UseAutoSort;
  showSortArrow(autoSort);
  if (autoSort) model_.sort(sortColumn_, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
  if (model_.rowCount() > 0) selectRow(0);
  setUpdatesEnabled(true);
  onSelectionChanged();
}

void CFileView::selectEntry(std::uint64_t id) {
  const int row = model_.rowOfId(id);
  if (row < 0) return;
  selectRow(row);
  setFocus();
}

void CFileView::sortByColumn(int column) {
  // A folder shown unsorted (no arrow) sorts ascending on the first click of any column.
  const bool sortedByColumn = header()->isSortIndicatorShown() && column == sortColumn_;
  ascending_ = sortedByColumn ? !ascending_ : true;
  sortColumn_ = column;
  showSortArrow(true);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  model_.sort(column, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
  QApplication::restoreOverrideCursor();
  if (model_.rowCount() > 0) selectRow(0);
}

void CFileView::onActivated(const QModelIndex& index) {
  FileEntry* entry = model_.entryAt(index.row());
  if (!entry) return;
  if (entry->isFolder) frame_.openFolderFromFileView(entry->id);
  else if (entry->deleted && passesPictureRule(entry->name)) frame_.runCommand(res::ID_VIEW_AS_PICTURE);
}

void CFileView::onSelectionChanged() {
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.size() == 1 && frame_.previewIsOpen()) {
    FileEntry* entry = model_.entryAt(rows.front().row());
    if (entry && entry->deleted && !entry->isFolder && passesPictureRule(entry->name)) frame_.runCommand(res::ID_VIEW_AS_PICTURE);
  }
  if (rows.size() < 2) frame_.setStatusText(QStringLiteral("%1 个文件和文件夹").arg(model_.rowCount()));
  else frame_.setStatusText(QStringLiteral("已选定 %1 个对象").arg(rows.size()));
  frame_.updateActions();
}

void CFileView::contextMenuEvent(QContextMenuEvent* event) {
  int deletedOrFolders = 0;
  for (FileEntry* e : selectedEntries())
    if (e->deleted || e->isFolder) ++deletedOrFolders;
  frame_.showPopup(deletedOrFolders == 0 ? 3 : (deletedOrFolders == 1 ? 1 : 2), event->globalPos());
}

}  // namespace tarvosk
