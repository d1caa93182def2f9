// The rows of a folder as the file list view shows them: its children in their order, without
// the drive's root entry and, while empty folders are hidden, without folders that hold no
// deleted file.
#pragma once

#include <vector>

#include "scan/DriveFileList.h"

namespace tarvosk {

// The entries of the rows, in row order. The entries never move while the list lives, so the
// view keeps these pointers until the folder, its order or the list changes.
std::vector<FileEntry*> visibleRows(DriveFileList& list, const FileEntry& folder, bool showEmptyFolders);

// Whether a child shows as a row (and, for a folder, as a node of the drive tree).
bool isVisibleChild(const FileEntry& child, bool showEmptyFolders);

}  // namespace tarvosk
