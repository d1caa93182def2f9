#include "shell/VisibleRows.h"

namespace tarvosk {

bool isVisibleChild(const FileEntry& child, bool showEmptyFolders) {
  if (child.id == ROOT_ENTRY_ID) return false;
  return !child.isFolder || showEmptyFolders || !child.noDeletedFiles;
}

std::vector<FileEntry*> visibleRows(DriveFileList& list, const FileEntry& folder, bool showEmptyFolders) {
  std::vector<FileEntry*> rows;
  rows.reserve(folder.children.size());
  for (std::uint64_t id : folder.children) {
    FileEntry* child = list.Find(id);
    if (child && id != ROOT_ENTRY_ID && isVisibleChild(*child, showEmptyFolders)) rows.push_back(child);
  }
  return rows;
}

}  // namespace tarvosk
