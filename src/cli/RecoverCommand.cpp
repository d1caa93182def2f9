#include <filesystem>

#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"
#include "cli/TerminalUi.h"
#include "platform/CodePage.h"
#include "recover/RecoveryJobFlow.h"

namespace tarvosk::cli {

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
  std::vector<JobEntry> entries;
  if (all) entries.push_back({list, &list->Lookup(ROOT_ENTRY_ID)});
  for (const std::string& path : arguments) {
    FileEntry* e = entryAtListedPath(*list, utf8ToUtf16(path));
    if (!e) return error = "扫描结果中没有: " + path, kExitFailure;
    entries.push_back({list, e});
  }

  TerminalUi ui(policy);
  UserInterface* previous = setUserInterface(&ui);
  TerminalProgress progress;
  // The terminal shows the log of every job, a job of one file too.
  const RecoveryJobOutcome outcome = recoverJobEntries(entries, utf8ToUtf16(target), nullptr, progress, FailureReport::InLog);
  setUserInterface(previous);
  out << utf16ToUtf8(outcome.log);
  return outcome.failed ? kExitFailure : kExitSuccess;
}

}  // namespace tarvosk::cli
