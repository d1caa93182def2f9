#include "shell/FolderSort.h"

#include <algorithm>
#include <string>
#include <utility>
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
  std::u16string_view folded;  // name: the folded name; type: the folded extension
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
      return a.folded < b.folded;
    case SortColumn::Size:
      if (x.isFolder != y.isFolder) return x.isFolder;
      return !x.isFolder && x.size < y.size;
    case SortColumn::Type:
      if (typeRank(x) != typeRank(y)) return typeRank(x) < typeRank(y);
      return typeRank(x) == 1 && a.folded > b.folded;
    case SortColumn::Modified:
      return a.hasTime && b.hasTime && a.time < b.time;
    case SortColumn::Condition:
      if (x.isFolder != y.isFolder) return x.isFolder;
      return !x.isFolder && a.chance > b.chance;
  }
  return false;
}

// Bottom-up merge sort of the places of the items: stable, and safe with comparisons that are
// not a strict order (entries whose time cannot be read compare equal to everything). The items
// stay where they are; only their 32-bit places move.
template <class Less>
std::vector<std::uint32_t> mergeSort(const std::vector<SortItem>& items, Less less) {
  std::vector<std::uint32_t> order(items.size()), buffer(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<std::uint32_t>(i);
  for (std::size_t width = 1; width < order.size(); width *= 2) {
    for (std::size_t low = 0; low < order.size(); low += 2 * width) {
      const std::size_t mid = std::min(low + width, order.size());
      const std::size_t high = std::min(low + 2 * width, order.size());
      std::size_t i = low, j = mid, out = low;
      while (i < mid && j < high) buffer[out++] = less(items[order[j]], items[order[i]]) ? order[j++] : order[i++];
      while (i < mid) buffer[out++] = order[i++];
      while (j < high) buffer[out++] = order[j++];
    }
    order.swap(buffer);
  }
  return order;
}

}  // namespace

void sortFolderChildren(DriveFileList& list, FileEntry& folder, SortColumn column, bool ascending) {
  std::vector<SortItem> items;
  items.reserve(folder.children.size());
  // The folded names (or extensions) of all children, side by side: folding once per child, not
  // once per comparison, is what keeps a sort of 100,000 names quick.
  std::u16string folds;
  std::vector<std::pair<std::size_t, std::size_t>> foldPlaces;
  const bool byText = column == SortColumn::Name || column == SortColumn::Type;
  for (std::uint64_t id : folder.children) {
    static FileEntry missing;  // a child id the list does not hold sorts as an empty file
    FileEntry* entry = list.Find(id);
    if (!entry) entry = &missing;
    items.push_back({id, entry, 0, false, 0, {}});
    if (byText) {
      const std::u16string_view text = column == SortColumn::Name ? entry->name.view() : nameExtension(entry->name);
      foldPlaces.emplace_back(folds.size(), text.size());
      for (char16_t c : text) folds += foldCase(c);
    }
  }
  if (byText)
    for (std::size_t i = 0; i < items.size(); ++i)
      items[i].folded = std::u16string_view(folds).substr(foldPlaces[i].first, foldPlaces[i].second);
  if (column == SortColumn::Modified || column == SortColumn::Condition) {
    // The chances of large NTFS files (the scan rates the others) come from their MFT records, as
    // do the times of entries the scan did not time: read them in the order of the records (the
    // entries' ids), whatever order the folder is in, so the reads go through the MFT in one pass.
    std::vector<SortItem*> byRecord;
    byRecord.reserve(items.size());
    for (SortItem& item : items) byRecord.push_back(&item);
    std::sort(byRecord.begin(), byRecord.end(), [](const SortItem* a, const SortItem* b) { return a->id < b->id; });
    for (SortItem* item : byRecord) {
      FileEntry& entry = *const_cast<FileEntry*>(item->entry);
      if (column == SortColumn::Modified) {
        FILETIME local{};
        item->hasTime = entryModifiedTime(entry, local);
        item->time = (static_cast<std::uint64_t>(local.dwHighDateTime) << 32) | local.dwLowDateTime;
      } else if (!entry.isFolder && list.Find(item->id)) {
        WCHAR text[kRecoveryChanceTextUnits];
        item->chance = GetRecoveryChanceText(text, entry);
      }
    }
  }
  const std::vector<std::uint32_t> order =
      ascending ? mergeSort(items, [column](const SortItem& a, const SortItem& b) { return before(a, b, column); })
                : mergeSort(items, [column](const SortItem& a, const SortItem& b) { return before(b, a, column); });
  std::uint64_t* out = folder.children.begin();
  for (std::uint32_t place : order) *out++ = items[place].id;
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
