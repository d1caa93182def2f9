#include "desktop/SearchResultsModel.h"

#include "desktop/Icons.h"
#include "desktop/QtText.h"

namespace tarvosk {

void SearchResultsModel::setResults(DriveFileList* results, DriveFileList* drive) {
  beginResetModel();
  const bool shown = results && drive && results->size() > 0;
  results_ = shown ? results : nullptr;
  drive_ = shown ? drive : nullptr;
  folder_ = shown ? &*results->begin() : nullptr;
  endResetModel();
}

FileEntry* SearchResultsModel::entryAt(int row) const {
  if (!folder_ || row < 0 || static_cast<std::size_t>(row) >= folder_->children.size()) return nullptr;
  return drive_->Find(folder_->children[static_cast<std::size_t>(row)]);
}

int SearchResultsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() || !folder_ ? 0 : static_cast<int>(folder_->children.size());
}

int SearchResultsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kResultColumnCount; }

QVariant SearchResultsModel::data(const QModelIndex& index, int role) const {
  FileEntry* entry = index.isValid() ? entryAt(index.row()) : nullptr;
  if (!entry) return {};
  const auto column = static_cast<ResultColumn>(index.column());
  if (role == Qt::DisplayRole) return qstr(resultCellText(*drive_, *entry, column));
  if (role == Qt::DecorationRole && column == ResultColumn::Name) return icons::file();
  if (role == Qt::TextAlignmentRole && column == ResultColumn::Size)
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  return {};
}

QVariant SearchResultsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kHeaders[kResultColumnCount] = {"名称", "于文件夹", "大小", "类型", "修改时期", "状况"};
  return section >= 0 && section < kResultColumnCount ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

void SearchResultsModel::sort(int column, Qt::SortOrder order) {
  if (!folder_ || column < 0 || column >= kResultColumnCount) return;
  reorderRows([&] {
    sortResults(*drive_, *folder_, static_cast<ResultColumn>(column), order == Qt::AscendingOrder);
    return true;
  });
}

}  // namespace tarvosk
