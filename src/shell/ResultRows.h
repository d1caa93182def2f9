// The rows of the search results view without a window: the cells of a result (an entry of the
// drive's list, named by a child id of the result set's folder) and the result set's sort by any
// of the view's columns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/DriveFileList.h"

namespace tarvosk {

enum class ResultColumn : int { Name = 0, Folder = 1, Size = 2, Type = 3, Modified = 4, Condition = 5 };
constexpr int kResultColumnCount = 6;

// The ids of the folders that hold entry, from the one below the root down to its parent.
std::vector<std::uint64_t> containingFolderIds(const DriveFileList& drive, const FileEntry& entry);
// Where entry lies inside its drive: the folders from its parent up to, not including, the root,
// outermost first, each followed by "\" ("a\b\"); empty for an entry of the root.
std::u16string containingFolderText(const DriveFileList& drive, const FileEntry& entry);

// The text of a cell: the name, the containing folder, the size ("%d 字节", "%.1f KB",
// "%.1f MB"), and the type, date and condition as the file list shows them.
std::u16string resultCellText(const DriveFileList& drive, FileEntry& entry, ResultColumn column);

// Reorders the result set's folder, whose children are ids of drive: name, size, type, modified
// and condition as the file list sorts its columns, the folder column by its text without regard
// to case (a stable sort; descending is the reversed comparison).
void sortResults(DriveFileList& drive, FileEntry& results, ResultColumn column, bool ascending);

}  // namespace tarvosk
