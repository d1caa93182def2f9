#include <filesystem>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"
#include "cli/TerminalUi.h"
#include "platform/CodePage.h"
#include "recover/RecoverEntry.h"

namespace tarvosk::cli {

namespace {

std::uint64_t totalSize(DriveFileList& list, FileEntry& entry) {
  if (!entry.isFolder) return entry.size;
  std::uint64_t total = 0;
  for (const ListedEntry& l : collectEntries(list, entry.id))
    if (!l.entry->isFolder) total += l.entry->size;
  return total;
}

}  // namespace

int recoverCommand(CFileList& lists, std::vector<std::string> arguments, std::ostream& out, std::string& error) {
  std::string target, overwrite = "ask";
  if (!takeOption(arguments, "--to", target)) return error = "recover 需要 --to 目标文件夹", kExitUsage;
  takeOption(arguments, "--overwrite", overwrite);
  OverwritePolicy policy = OverwritePolicy::Ask;
  if (overwrite == "all") policy = OverwritePolicy::All;
  else if (overwrite == "none") policy = OverwritePolicy::None;
  else if (overwrite != "ask") return error = "--overwrite 可用 ask、all、none", kExitUsage;
  bool all = takeFlag(arguments, "--all");
  ScanRequest request;
  if (!takeScanOptions(arguments, request, error)) return kExitUsage;
  if (arguments.empty() && !all) return error = "请给出要恢复的路径，或用 --all", kExitUsage;
  if (!std::filesystem::is_directory(target)) return error = "目标文件夹不存在: " + target, kExitFailure;

  DriveFileList* list = runScan(lists, request);
  if (!list) return kExitFailure;
  std::vector<FileEntry*> chosen;
  if (all) chosen.push_back(&list->Lookup(ROOT_ENTRY_ID));
  for (const std::string& path : arguments) {
    FileEntry* e = entryAtListedPath(*list, utf8ToUtf16(path));
    if (!e) return error = "扫描结果中没有: " + path, kExitFailure;
    chosen.push_back(e);
  }

  TerminalUi ui(policy);
  UserInterface* previous = setUserInterface(&ui);
  TerminalProgress progress;
  RecoveryJob job;
  job.window = &progress;
  job.batch = true;
  std::uint64_t total = 0;
  for (FileEntry* e : chosen) total += totalSize(*list, *e);
  while ((total >> job.progressShift) > 32767) ++job.progressShift;
  progress.setRange(0, static_cast<int>(total >> job.progressShift));
  bool succeeded = true;
  std::u16string folder = utf8ToUtf16(target);
  for (FileEntry* e : chosen) {
    if (progress.cancelled()) break;
    if (e->isFolder || e->deleted) succeeded = RecoverEntry(*list, *e, nullptr, folder, job) && succeeded;
  }
  progress.close();
  setUserInterface(previous);
  out << utf16ToUtf8(job.log);
  return succeeded ? kExitSuccess : kExitFailure;
}

}  // namespace tarvosk::cli
