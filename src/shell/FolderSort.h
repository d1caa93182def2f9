// Sorting a folder's children by a column of the file list view. The sort reorders the folder's
// child sequence in the file list itself, so the order stays while the list lives, and a memory
// of sorted folders keeps a folder from being sorted the same way twice.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

#include "scan/DriveFileList.h"

namespace tarvosk {

enum class SortColumn : int { Name = 0, Size = 1, Type = 2, Modified = 3, Condition = 4 };
constexpr int kSortColumnCount = 5;

// A stable merge sort of folder's children. Ascending orders:
// - name: folders before files, each group by name without regard to case;
// - size: folders before files (folders keep their order), files by size;
// - type: files not deleted, deleted files (by extension, the greater first), folders, deleted folders;
// - modified: by modification time; an entry whose time cannot be read compares equal;
// - condition: folders first, files by recovery chance, the higher first.
// Descending order is the reversed comparison. Times and chances are read once per child, not
// once per comparison, and in the order of the entries' ids (NTFS files' MFT records in a row).
void sortFolderChildren(DriveFileList& list, FileEntry& folder, SortColumn column, bool ascending);

// Which folders of which lists are sorted, and how.
class SortedFolders {
 public:
  // Sorts the folder unless it is already sorted that way. True when it sorted.
  bool sort(DriveFileList& list, FileEntry& folder, SortColumn column, bool ascending);
  // Forgets every folder of a list that is about to go (a rescan, a closed search).
  void forget(const DriveFileList* list);

 private:
  struct Order {
    SortColumn column;
    bool ascending;
  };
  std::map<std::pair<const DriveFileList*, std::uint64_t>, Order> sorted_;
};

}  // namespace tarvosk
