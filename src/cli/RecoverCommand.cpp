#include "cli/Commands.h"
#include "cli/Listing.h"
#include "cli/ScanRequest.h"
#include "cli/TerminalUi.h"
#include "platform/CodePage.h"
#include "platform/WinError.h"
#include "recover/RecoveryJobFlow.h"
#include "recover/TargetFolder.h"

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
  // Like other recovery tools, the target folder is made when missing; never on the source.
  std::u16string folder = utf8ToUtf16(target);
  DWORD cause = ERROR_SUCCESS;
  switch (prepareTargetFolder(folder, request.drivePath, cause)) {
    case TargetFolderCheck::OnSource: return error = "目标文件夹位于被读取的驱动器上: " + target, kExitFailure;
    case TargetFolderCheck::CannotCreate: {
      std::string why = utf16ToUtf8(systemErrorText(cause));
      while (!why.empty() && (why.back() == '\n' || why.back() == '\r')) why.pop_back();
      return error = "无法创建目标文件夹 " + target + ": " + why, kExitFailure;
    }
    case TargetFolderCheck::Ready: break;
  }

  DriveFileList* list = runScan(lists, request);
  if (!list) return kExitFailure;
  std::vector<FileEntry*> chosen;
  if (FileEntry* root = list->Find(ROOT_ENTRY_ID); all && root) chosen.push_back(root);
  for (const std::string& path : arguments) {
    FileEntry* e = entryAtListedPath(*list, utf8ToUtf16(path));
    if (!e) return error = "扫描结果中没有: " + path, kExitFailure;
    chosen.push_back(e);
  }

  TerminalUi ui(policy);
  UserInterface* previous = setUserInterface(&ui);
  TerminalProgress progress;
  std::vector<JobEntry> entries;
  for (FileEntry* entry : chosen) entries.push_back({list, entry});
  const RecoveryJobOutcome outcome = recoverJobEntries(entries, folder, nullptr, progress);
  setUserInterface(previous);
  out << utf16ToUtf8(outcome.log);
  if (outcome.cancelled) return kExitInterrupted;
  return outcome.failed ? kExitFailure : kExitSuccess;
}

}  // namespace tarvosk::cli
