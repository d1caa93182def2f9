#include "recover/RecycleBinCopy.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk {

bool recoverRecycleBinEntry(const FileEntry& entry, const std::u16string& outputPath, RecoveryJob& job) {
  job.progress += entry.size;
  bool copied = CopyFileW(entry.recycleBinPath.c_str(), outputPath.c_str(), job.yesToAll ? FALSE : TRUE) != FALSE;
  if (copied) {
    job.appendResult(true);
  } else if (GetLastError() == ERROR_FILE_EXISTS && !job.yesToAll) {
    OverwriteAnswer answer = userInterface().askOverwrite(format(loadString(res::IDS_CONFIRM_OVERWRITE), entry.name));
    if (answer == OverwriteAnswer::No) {
      job.appendResult(false);
      return true;
    }
    if (answer == OverwriteAnswer::YesToAll) job.yesToAll = true;
    job.appendResult(CopyFileW(entry.recycleBinPath.c_str(), outputPath.c_str(), FALSE) != FALSE);
  } else {
    job.appendResult(false);
  }
  job.addProgress(0);
  return true;
}

}  // namespace tarvosk
