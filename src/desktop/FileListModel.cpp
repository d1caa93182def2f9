#include "desktop/FileListModel.h"

#include "desktop/Icons.h"
#include "desktop/QtText.h"
#include "settings/Settings.h"
#include "shell/RowTexts.h"
#include "shell/VisibleRows.h"

namespace tarvosk {

FileListModel::FileListModel(SortedFolders& sortedFolders, QObject* parent)
    : EntryRowsModel(parent), sortedFolders_(sortedFolders) {}

void FileListModel::setFolder(DriveFileList* list, FileEntry* folder) {
  beginResetModel();
  list_ = folder ? list : nullptr;
  folder_ = list ? folder : nullptr;
  refreshRows();
  endResetModel();
}

void FileListModel::refreshRows() {
  rows_.clear();
  if (list_ && folder_) rows_ = visibleRows(*list_, *folder_, settings().ShowEmptyFolders);
}

FileEntry* FileListModel::entryAt(int row) const {
  return row >= 0 && static_cast<std::size_t>(row) < rows_.size() ? rows_[static_cast<std::size_t>(row)] : nullptr;
}

int FileListModel::rowOfId(std::uint64_t id) const {
  for (std::size_t row = 0; row < rows_.size(); ++row)
    if (rows_[row]->id == id) return static_cast<int>(row);
  return -1;
}

int FileListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kSortColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const {
  FileEntry* entry = index.isValid() ? entryAt(index.row()) : nullptr;
  if (!entry) return {};
  const auto column = static_cast<SortColumn>(index.column());
  if (role == Qt::DisplayRole) {
    switch (column) {
      case SortColumn::Name: return qstr(entry->name);
      case SortColumn::Size: return qstr(fileSizeText(*entry));
      case SortColumn::Type: return qstr(fileTypeText(*entry));
      case SortColumn::Modified: return qstr(modifiedText(*entry));
      case SortColumn::Condition: return qstr(conditionText(*entry));
    }
  }
  if (role == Qt::DecorationRole && column == SortColumn::Name)
    return entry->isFolder ? (entry->deleted ? icons::deletedFolder() : icons::folder()) : icons::file();
  if (role == Qt::TextAlignmentRole && column == SortColumn::Size)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  return {};
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[kSortColumnCount] = {"名称", "大小", "类型", "修改时期", "状况"};
  return section >= 0 && section < kSortColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

void FileListModel::sort(int column, Qt::SortOrder order) {
  if (!list_ || !folder_ || column < 0 || column >= kSortColumnCount) return;
  reorderRows([&] {
    if (!sortedFolders_.sort(*list_, *folder_, static_cast<SortColumn>(column), order == Qt::AscendingOrder)) return false;
    refreshRows();
    return true;
  });
}

}  // namespace tarvosk
