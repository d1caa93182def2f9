#include "desktop/SearchView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHeaderView>

#include "desktop/MainFrame.h"
#include "res/CommandIds.h"
#include "viewers/PictureFormat.h"

namespace tarvosk {

namespace {

bool isDeletedFile(const FileEntry& entry) { return entry.deleted && !entry.isFolder; }

bool isDeletedPicture(const FileEntry* entry) { return entry && isDeletedFile(*entry) && passesPictureRule(entry->name); }

}  // namespace

CSearchView::CSearchView(CMainFrame& frame, QWidget* parent) : EntryListView(parent), frame_(frame), model_(this) {
  setRowsModel(model_, {{170, {}},
                        {250, {}},
                        {70, {QStringLiteral("1024.0 KB"), QStringLiteral("1023 字节")}},
                        {110, {QStringLiteral("已删除的文件 (JPEG)")}},
                        {110, {QStringLiteral("00/00/0000  00:00")}},
                        {100, {QStringLiteral("不可恢复"), QStringLiteral("可能较好")}}});
  connect(header(), &QHeaderView::sectionClicked, this, &CSearchView::sortByColumn);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CSearchView::onSelectionChanged);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { frame_.updateActions(); });
}

void CSearchView::showResults(DriveFileList* results, DriveFileList* drive) {
  setUpdatesEnabled(false);
  model_.setResults(results, drive);
  showSortArrow();
  if (model_.rowCount() > 0) selectRow(0);
  setUpdatesEnabled(true);
  showStatus();
  frame_.updateActions();
}

void CSearchView::forgetList(const DriveFileList* list) {
  sorted_.erase(list);
  if (list && (model_.results() == list || model_.drive() == list)) showResults(nullptr, nullptr);
}

void CSearchView::showSortArrow() {
  auto it = sorted_.find(model_.results());
  header()->setSortIndicatorShown(it != sorted_.end());
  if (it != sorted_.end())
    header()->setSortIndicator(it->second.column, it->second.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CSearchView::sortByColumn(int column) {
  if (!model_.results()) return;
  auto [it, first] = sorted_.try_emplace(model_.results(), SortOrder{column, true});
  if (!first) it->second = {column, it->second.column == column ? !it->second.ascending : true};
  showSortArrow();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  model_.sort(column, it->second.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
  QApplication::restoreOverrideCursor();
}

void CSearchView::onActivated(const QModelIndex& index) {
  if (isDeletedPicture(model_.entryAt(index.row()))) frame_.runCommand(res::ID_VIEW_AS_PICTURE);
}

void CSearchView::onSelectionChanged(const QItemSelection& selected) {
  // The open picture preview follows a row that became the only one selected.
  const QModelIndexList rows = selectionModel()->selectedRows();
  if (rows.size() == 1 && selected.contains(rows.front()) && frame_.previewIsOpen() &&
      isDeletedPicture(model_.entryAt(rows.front().row())))
    frame_.runCommand(res::ID_VIEW_AS_PICTURE);
  showStatus();
  frame_.updateActions();
}

void CSearchView::showStatus() {
  const qsizetype selected = selectionModel()->selectedRows().size();
  if (selected < 2) frame_.setStatusText(QStringLiteral("找到 %1 个文件").arg(model_.rowCount()));
  else frame_.setStatusText(QStringLiteral("选定 %1 个文件").arg(selected));
}

void CSearchView::contextMenuEvent(QContextMenuEvent* event) {
  int deletedFiles = 0;
  for (FileEntry* e : selectedEntries())
    if (isDeletedFile(*e)) ++deletedFiles;
  frame_.showPopup(deletedFiles == 1 ? 0 : (deletedFiles == 0 ? 6 : 5), event->globalPos());
}

}  // namespace tarvosk
