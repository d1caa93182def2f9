#include "shell/FolderSort.h"

#include <vector>

#include "platform/CaseFolding.h"
#include "scan/EntryTimes.h"
#include "scan/RecoveryChance.h"
#include "shell/RowTexts.h"

namespace tarvosk {

namespace {

// One child with the key its comparison needs, read once before sorting.
struct SortItem {
  std::uint64_t id;
  const FileEntry* entry;
  std::uint64_t time;  // modified: FILETIME as a number
  bool hasTime;
  std::uint8_t chance;
};

// Rank of the type column: files not deleted, deleted files, folders, deleted folders.
int typeRank(const FileEntry& e) { return e.isFolder ? (e.deleted ? 3 : 2) : (e.deleted ? 1 : 0); }

// Ascending "a comes before b".
bool before(const SortItem& a, const SortItem& b, SortColumn column) {
  const FileEntry& x = *a.entry;
  const FileEntry& y = *b.entry;
  switch (column) {
    case SortColumn::Name:
      if (x.isFolder != y.isFolder) return x.isFolder;
      return compareIgnoreCase(x.name, y.name) < 0;
    case SortColumn::Size:
      if (x.isFolder != y.isFolder) return x.isFolder;
      return !x.isFolder && x.size < y.size;
    case SortColumn::Type:
      if (typeRank(x) != typeRank(y)) return typeRank(x) < typeRank(y);
      return typeRank(x) == 1 && compareIgnoreCase(nameExtension(x.name), nameExtension(y.name)) > 0;
    case SortColumn::Modified:
      return a.hasTime && b.hasTime && a.time < b.time;
    case SortColumn::Condition:
      if (x.isFolder != y.isFolder) return x.isFolder;
      return !x.isFolder && a.chance > b.chance;
  }
  return false;
}

// Bottom-up merge sort: stable, and safe with comparisons that are not a strict order (entries
// whose time cannot be read compare equal to everything).
template <class Less>
void mergeSort(std::vector<SortItem>& items, Less less) {
  std::vector<SortItem> buffer(items.size());
  for (std::size_t width = 1; width < items.size(); width *= 2) {
    for (std::size_t low = 0; low < items.size(); low += 2 * width) {
      const std::size_t mid = std::min(low + width, items.size());
      const std::size_t high = std::min(low + 2 * width, items.size());
      std::size_t i = low, j = mid, out = low;
      while (i < mid && j < high) buffer[out++] = less(items[j], items[i]) ? items[j++] : items[i++];
      while (i < mid) buffer[out++] = items[i++];
      while (j < high) buffer[out++] = items[j++];
    }
    items.swap(buffer);
  }
}

}  // namespace

void sortFolderChildren(DriveFileList& list, FileEntry& folder, SortColumn column, bool ascending) {
  std::vector<SortItem> items;
  items.reserve(folder.children.size());
  for (std::uint64_t id : folder.children) {
    static FileEntry missing;  // a child id the list does not hold sorts as an empty file
    FileEntry* entry = list.Find(id);
    if (!entry) entry = &missing;
    SortItem item{id, entry, 0, false, 0};
    if (column == SortColumn::Modified) {
      FILETIME local{};
      item.hasTime = entryModifiedTime(*entry, local);
      item.time = (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
    } else if (column == SortColumn::Condition && !entry->isFolder && entry != &missing) {
      WCHAR text[kRecoveryChanceTextUnits];
      item.chance = GetRecoveryChanceText(text, *entry);
    }
    items.push_back(item);
  }
  if (ascending) mergeSort(items, [column](const SortItem& a, const SortItem& b) { return before(a, b, column); });
  else mergeSort(items, [column](const SortItem& a, const SortItem& b) { return before(b, a, column); });
  std::uint64_t* out = folder.children.begin();
  for (const SortItem& item : items) *out++ = item.id;
}

bool SortedFolders::sort(DriveFileList& list, FileEntry& folder, SortColumn column, bool ascending) {
  auto [it, inserted] = sorted_.try_emplace({&list, folder.id}, Order{column, ascending});
  if (!inserted && it->second.column == column && it->second.ascending == ascending) return false;
  it->second = {column, ascending};
  sortFolderChildren(list, folder, column, ascending);
  return true;
}

void SortedFolders::forget(const DriveFileList* list) {
  auto it = sorted_.lower_bound({list, 0});
  while (it != sorted_.end() && it->first.first == list) it = sorted_.erase(it);
}

}  // namespace tarvosk
