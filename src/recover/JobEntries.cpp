#include "recover/JobEntries.h"

#include <unordered_set>
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

// Calls visit for every file below folder, as deep as the recovery goes; a folder that damaged
// folder data lists twice is counted once.
template <class Visit>
void forEachFileBelow(DriveFileList& list, const FileEntry& folder, Visit visit) {
  std::unordered_set<std::uint64_t> seen{folder.id};
  std::vector<std::pair<const FileEntry*, int>> pending{{&folder, 0}};
  while (!pending.empty()) {
    auto [parent, depth] = pending.back();
    pending.pop_back();
    for (std::uint64_t id : parent->children) {
      const FileEntry* child = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
      if (!child) continue;
      if (!child->isFolder) visit(*child);
      else if (depth + 1 < kMaxFolderDepth && seen.insert(id).second) pending.emplace_back(child, depth + 1);
    }
  }
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
  forEachFileBelow(list, entry, [&total](const FileEntry& file) { total += file.deleted ? file.size : 0; });
  return total;
}

std::uint64_t filesToRecover(DriveFileList& list, const FileEntry& entry) {
  if (!entry.isFolder) return entry.deleted ? 1 : 0;
  std::uint64_t files = 0;
  forEachFileBelow(list, entry, [&files](const FileEntry&) { ++files; });
  return files;
}

int progressShiftFor(std::uint64_t total) {
  int shift = 0;
  while ((total >> shift) > kMaxBarPosition) ++shift;
  return shift;
}

bool isBatchJob(const std::vector<JobEntry>& entries) { return entries.size() != 1 || entries.front().entry->isFolder; }

}  // namespace tarvosk
