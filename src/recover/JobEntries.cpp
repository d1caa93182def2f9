#include "recover/JobEntries.h"

#include <utility>

namespace tarvosk {

namespace {

constexpr std::uint64_t kMaxBarPosition = 32767;
// As deep as the recovery engine goes into folders (damaged folder data can nest without end).
constexpr int kMaxFolderDepth = 1100;

DriveFileList* listOfDrive(CFileList& lists, char16_t driveCharacter) {
  auto it = lists.lists().find({driveCharacter, u':'});
  return it == lists.lists().end() ? nullptr : it->second.get();
}

}  // namespace

std::vector<JobEntry> collectJobEntries(CFileList& lists, const JobSelection& selection) {
  std::vector<JobEntry> entries;
  if (selection.treeHasFocus) {
    if (!selection.treeNodeHasEntry) return entries;
    DriveFileList* list = listOfDrive(lists, selection.treeDriveCharacter);
    FileEntry* entry = list ? list->Find(selection.treeEntryId) : nullptr;
    if (entry && (entry->isFolder || entry->deleted)) entries.push_back({list, entry});
    return entries;
  }
  for (FileEntry* entry : selection.viewSelection)
    if (DriveFileList* list = entry ? listOfDrive(lists, entry->driveLetter) : nullptr) entries.push_back({list, entry});
  return entries;
}

std::uint64_t recoverableBytes(DriveFileList& list, const FileEntry& entry) {
  if (!entry.isFolder) return entry.deleted ? entry.size : 0;
  std::uint64_t total = 0;
  std::vector<std::pair<const FileEntry*, int>> pending{{&entry, 0}};
  while (!pending.empty()) {
    auto [folder, depth] = pending.back();
    pending.pop_back();
    for (std::uint64_t id : folder->children) {
      const FileEntry* child = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
      if (!child) continue;
      if (!child->isFolder) total += child->deleted ? child->size : 0;
      else if (depth + 1 < kMaxFolderDepth) pending.emplace_back(child, depth + 1);
    }
  }
  return total;
}

int progressShiftFor(std::uint64_t total) {
  int shift = 0;
  while ((total >> shift) > kMaxBarPosition) ++shift;
  return shift;
}

bool isBatchJob(const std::vector<JobEntry>& entries) { return entries.size() != 1 || entries.front().entry->isFolder; }

}  // namespace tarvosk
