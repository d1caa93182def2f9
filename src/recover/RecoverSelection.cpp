#include "recover/RecoverSelection.h"

#include <unordered_set>

#include "platform/Format.h"
#include "recover/RecoverEntry.h"

namespace tarvosk {

namespace {

constexpr int kMaxProgressRange = 32767;

struct SelectionSize {
  std::uint64_t bytes = 0;  // deleted files' sizes, folders' contents included
  std::uint64_t files = 0;
};

// What RecoverEntry will go through: each deleted file chosen, and every file below each folder
// chosen (a folder met twice through damaged folder data counts once).
SelectionSize measure(DriveFileList& list, const std::vector<FileEntry*>& entries) {
  SelectionSize size;
  std::unordered_set<std::uint64_t> seen;
  std::vector<const FileEntry*> folders;
  auto count = [&size](const FileEntry& file) {
    size.bytes += file.size;
    ++size.files;
  };
  for (const FileEntry* entry : entries) {
    if (!entry->isFolder) {
      if (entry->deleted) count(*entry);
    } else if (seen.insert(entry->id).second) {
      folders.push_back(entry);
    }
  }
  while (!folders.empty()) {
    const FileEntry* folder = folders.back();
    folders.pop_back();
    for (std::uint64_t id : folder->children) {
      const FileEntry* child = id == ROOT_ENTRY_ID ? nullptr : list.Find(id);
      if (!child) continue;
      if (!child->isFolder) count(*child);
      else if (seen.insert(id).second) folders.push_back(child);
    }
  }
  return size;
}

}  // namespace

SelectionOutcome recoverSelection(DriveFileList& list, const std::vector<FileEntry*>& entries,
                                  const std::u16string& targetFolder, RecoveryJob& job) {
  const SelectionSize size = measure(list, entries);
  job.progress = 0;
  job.progressShift = 0;
  job.filesStarted = 0;
  job.interrupted = false;
  while ((size.bytes >> job.progressShift) > kMaxProgressRange) ++job.progressShift;
  if (job.window) job.window->setRange(0, static_cast<int>(size.bytes >> job.progressShift));
  SelectionOutcome outcome;
  for (FileEntry* entry : entries) {
    if (job.cancelled()) break;
    if (entry->isFolder || entry->deleted) outcome.failed = !RecoverEntry(list, *entry, nullptr, targetFolder, job) || outcome.failed;
  }
  if (job.cancelled()) {
    outcome.cancelled = true;
    const std::uint64_t ended = job.filesStarted - (job.interrupted ? 1 : 0);
    outcome.notRecovered = size.files > ended ? size.files - ended : 0;
    job.log += format(u"Job cancelled: %I64d entries not recovered\r\n", outcome.notRecovered);
  }
  return outcome;
}

}  // namespace tarvosk
