#include "desktop/EntryRowsModel.h"

#include <unordered_map>
#include <vector>

namespace tarvosk {

void EntryRowsModel::reorderRows(const std::function<bool()>& reorder) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<FileEntry*> entriesBefore;
  entriesBefore.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& index : before) entriesBefore.push_back(entryAt(index.row()));
  if (reorder()) {
    std::unordered_map<const FileEntry*, int> newRow;
    const int rows = rowCount();
    newRow.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) newRow.emplace(entryAt(row), row);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
      auto it = newRow.find(entriesBefore[static_cast<std::size_t>(i)]);
      after.push_back(it == newRow.end() ? QModelIndex() : index(it->second, before[i].column()));
    }
    changePersistentIndexList(before, after);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace tarvosk
