#include "recover/RecoveryJob.h"

#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk {

void RecoveryJob::reportFailure(const std::u16string& text, UINT icon) {
  if (batch) {
    log += u"失败于错误 \"" + text + u"\"\r\n";
  } else {
    userInterface().messageBox(text, kProgramTitle, MB_OK | icon);
  }
}

void RecoveryJob::addProgress(std::uint64_t bytes) {
  progress += bytes;
  if (window) window->setPosition(static_cast<int>(progress >> progressShift));
}

OutputCreation createOutputFile(RecoveryJob& job, const std::u16string& path, const std::u16string& listedName,
                                HANDLE& file) {
  file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) return OutputCreation::Created;
  DWORD error = GetLastError();
  if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
    if (!job.yesToAll) {
      OverwriteAnswer answer = userInterface().askOverwrite(format(loadString(res::IDS_CONFIRM_OVERWRITE), listedName));
      if (answer == OverwriteAnswer::No) {
        job.appendResult(false);
        return OutputCreation::Declined;
      }
      if (answer == OverwriteAnswer::YesToAll) job.yesToAll = true;
    }
    file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return OutputCreation::Created;
    error = GetLastError();
  }
  job.reportFailure(systemErrorText(error));
  return OutputCreation::Failed;
}

void discardOutputFile(HANDLE file, const std::u16string& path) {
  CloseHandle(file);
  DeleteFileW(path.c_str());
}

}  // namespace tarvosk
