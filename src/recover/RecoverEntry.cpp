#include "recover/RecoverEntry.h"

#include <vector>

#include "platform/Files.h"
#include "platform/Format.h"
#include "recover/ContiguousCopy.h"
#include "recover/ExfatDataCopy.h"
#include "recover/NtfsDataCopy.h"
#include "recover/OutputName.h"
#include "recover/RecycleBinCopy.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/DriveUnits.h"
#include "scan/ExfatFileData.h"
#include "scan/FileUnitLimits.h"
#include "scan/NtfsFileData.h"

namespace tarvosk {

namespace {

// Folders inside folders are recovered to this depth at most (damaged folder data can nest
// without end).
constexpr int kMaxFolderDepth = 1100;

std::u16string message(unsigned id) { return std::u16string(loadString(id)); }

bool recoverFolder(DriveFileList& list, FileEntry& folder, const std::u16string& target, RecoveryJob& job, int depth);
bool recoverItem(DriveFileList& list, FileEntry& entry, const std::vector<std::uint64_t>* selection,
                 const std::u16string& target, RecoveryJob& job, int depth);

// Ends a file's copy by its outcome: a cancel or a copy cut short (reported as a write error)
// deletes the output; a finished copy that is not the whole file is kept, with the integrity
// message.
bool finishCopy(CopyOutcome outcome, bool whole, HANDLE output, const std::u16string& path, RecoveryJob& job) {
  if (outcome != CopyOutcome::Complete) {
    const bool cancelled = outcome == CopyOutcome::Cancelled;
    if (!cancelled) job.reportFailure(message(res::IDS_WRITE_ERROR));
    discardOutputFile(output, path);
    if (cancelled) job.noteInterrupted();
    return cancelled;
  }
  CloseHandle(output);
  if (!whole) {
    job.reportFailure(message(res::IDS_INTEGRITY_CHECK_FAILED), MB_ICONINFORMATION);
    return false;
  }
  job.appendResult(true);
  return true;
}

bool recoverContiguous(FileEntry& entry, const std::vector<std::uint64_t>* selection, HANDLE output,
                       const std::u16string& path, RecoveryJob& job) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  if (units && entry.kind == ENTRY_KIND_FAT &&
      unitsOfSize(entry.size, units->unitSize()) > kMaxFatFileClusters) {
    job.reportFailure(message(res::IDS_FILE_NOT_RECOVERABLE));
    discardOutputFile(output, path);
    return false;
  }
  CopyOutcome outcome = units ? copyContiguousUnits(*units, entry.startPosition, entry.size, selection, output, job)
                              : CopyOutcome::Incomplete;
  return finishCopy(outcome, true, output, path, job);
}

// An exFAT file of a basic scan: its clusters up to the valid data length, zeros after them. A
// file whose clusters end before its data length is kept, with the integrity message.
bool recoverExfatSet(FileEntry& entry, const ExfatFileData& data, const std::vector<std::uint64_t>* selection,
                     HANDLE output, const std::u16string& path, RecoveryJob& job) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  bool whole = false;
  CopyOutcome outcome = units ? copyExfatData(*units, data, selection, output, job, whole) : CopyOutcome::Incomplete;
  return finishCopy(outcome, whole, output, path, job);
}

bool recoverFile(FileEntry& entry, const std::vector<std::uint64_t>* selection, const std::u16string& target,
                 RecoveryJob& job) {
  OutputName name = safeOutputName(entry.name.str());
  std::u16string path = joinOutputPath(target, name.name);
  ++job.filesStarted;
  job.log += u"File " + entry.name.str();
  if (name.changed) job.log += u" (saved as " + name.name + u")";
  job.log += u": ";
  if (entry.kind == ENTRY_KIND_RECYCLE_BIN) return recoverRecycleBinEntry(entry, path, job);
  if (entry.size == 0) {
    job.reportFailure(message(res::IDS_FILE_NOT_RECOVERABLE));
    return false;
  }
  if (job.window) job.window->setText(format(u"正在反删除“%s”...", entry.name));

  bool throughMft = entry.kind == ENTRY_KIND_NTFS && entry.startPosition == 0;
  std::vector<BYTE> record;
  ByteSpan data;
  if (throughMft) {
    NtfsDataLookup found = findNtfsFileData(entry.handle, mftRecordNumberOf(entry), record, data);
    if (found == NtfsDataLookup::RecordUnreadable) {
      job.reportFailure(message(res::IDS_MFT_RECORD_READ_ERROR));
      return false;
    }
    if (found == NtfsDataLookup::NoData) {
      job.reportFailure(message(res::IDS_FILE_NOT_RECOVERABLE));
      return false;
    }
  }
  const bool throughSet = isExfatSetEntry(entry);
  ExfatFileData exfatData;
  if (throughSet && !findExfatFileData(entry, exfatData)) {
    job.reportFailure(message(res::IDS_FILE_NOT_RECOVERABLE));
    return false;
  }
  HANDLE output = INVALID_HANDLE_VALUE;
  OutputCreation created = createOutputFile(job, path, entry.name.str(), output);
  if (created == OutputCreation::Declined) return true;
  if (created == OutputCreation::Failed) return false;
  if (throughSet) return recoverExfatSet(entry, exfatData, selection, output, path, job);
  if (!throughMft) return recoverContiguous(entry, selection, output, path, job);

  NtfsCopyResult result = copyNtfsData(entry.handle, data, selection, output, path, job);
  if (result == NtfsCopyResult::Succeeded) job.appendResult(true);
  if (result == NtfsCopyResult::Cancelled) job.noteInterrupted();
  return result != NtfsCopyResult::Failed;
}

// A job that holds a folder is always in batch mode, so the folder's contents report into the log.
bool recoverFolder(DriveFileList& list, FileEntry& folder, const std::u16string& target, RecoveryJob& job, int depth) {
  // The drive's root comes back straight into the target folder.
  std::u16string path = target;
  if (folder.id != ROOT_ENTRY_ID) path = joinOutputPath(target, safeOutputName(folder.name.str()).name);
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryW(path.c_str(), nullptr)) {
    if (job.batch) job.log += u"Failed to create directory \"" + path + u"\"\r\n";
    else userInterface().messageBox(message(res::IDS_CREATE_DIRECTORY_FAILED), kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (depth >= kMaxFolderDepth) return false;
  bool all = true;
  ChildIds children = folder.children;  // the list may grow while we recover
  for (std::uint64_t id : children) {
    if (job.cancelled()) break;
    if (id == ROOT_ENTRY_ID) continue;
    all = recoverItem(list, list.Lookup(id), nullptr, path, job, depth + 1) && all;
  }
  return all;
}

bool recoverItem(DriveFileList& list, FileEntry& entry, const std::vector<std::uint64_t>* selection,
                 const std::u16string& target, RecoveryJob& job, int depth) {
  if (entry.isFolder) return recoverFolder(list, entry, target, job, depth);
  return recoverFile(entry, selection, target, job);
}

}  // namespace

bool RecoverEntry(DriveFileList& list, FileEntry& entry, const std::vector<std::uint64_t>* selection,
                  const std::u16string& targetFolder, RecoveryJob& job) {
  return recoverItem(list, entry, selection, targetFolder, job, 0);
}

}  // namespace tarvosk
