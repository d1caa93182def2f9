#include "shell/ResultRows.h"

#include <algorithm>
#include <vector>

#include "platform/CaseFolding.h"
#include "shell/FolderSort.h"
#include "shell/RowTexts.h"

namespace tarvosk {

namespace {

// No path on the file systems read is longer than 32,767 characters, so no real folder lies
// deeper than this; parent ids that run in a circle (damaged folder data) stop here.
constexpr std::size_t kMaxFolderDepth = 16384;

SortColumn fileListColumn(ResultColumn column) {
  switch (column) {
    case ResultColumn::Size: return SortColumn::Size;
    case ResultColumn::Type: return SortColumn::Type;
    case ResultColumn::Modified: return SortColumn::Modified;
    case ResultColumn::Condition: return SortColumn::Condition;
    default: return SortColumn::Name;
  }
}

void sortByContainingFolder(const DriveFileList& drive, FileEntry& results, bool ascending) {
  struct Keyed {
    std::uint64_t id;
    std::u16string folder;
  };
  std::vector<Keyed> items;
  items.reserve(results.children.size());
  for (std::uint64_t id : results.children) {
    const FileEntry* entry = drive.Find(id);
    items.push_back({id, entry ? containingFolderText(drive, *entry) : std::u16string()});
  }
  std::stable_sort(items.begin(), items.end(), [ascending](const Keyed& a, const Keyed& b) {
    return ascending ? compareIgnoreCase(a.folder, b.folder) < 0 : compareIgnoreCase(b.folder, a.folder) < 0;
  });
  std::uint64_t* out = results.children.begin();
  for (const Keyed& item : items) *out++ = item.id;
}

}  // namespace

std::vector<std::uint64_t> containingFolderIds(const DriveFileList& drive, const FileEntry& entry) {
  std::vector<std::uint64_t> ids;
  std::uint64_t id = entry.parentId;
  while (id != ROOT_ENTRY_ID && ids.size() < kMaxFolderDepth && drive.Find(id)) {
    ids.push_back(id);
    id = drive.Find(id)->parentId;
  }
  std::reverse(ids.begin(), ids.end());
  return ids;
}

std::u16string containingFolderText(const DriveFileList& drive, const FileEntry& entry) {
  std::u16string text;
  for (std::uint64_t id : containingFolderIds(drive, entry)) {
    text += drive.Find(id)->name.view();
    text += u'\\';
  }
  return text;
}

std::u16string resultCellText(const DriveFileList& drive, FileEntry& entry, ResultColumn column) {
  switch (column) {
    case ResultColumn::Name: return entry.name.str();
    case ResultColumn::Folder: return containingFolderText(drive, entry);
    case ResultColumn::Size: return sizeText(entry.size);
    case ResultColumn::Type: return fileTypeText(entry);
    case ResultColumn::Modified: return modifiedText(entry);
    case ResultColumn::Condition: return conditionText(entry);
  }
  return {};
}

void sortResults(DriveFileList& drive, FileEntry& results, ResultColumn column, bool ascending) {
  if (column == ResultColumn::Folder) sortByContainingFolder(drive, results, ascending);
  else sortFolderChildren(drive, results, fileListColumn(column), ascending);
}

}  // namespace tarvosk
