// A recovery job's entries, one after the other: the progress range from their recoverable size,
// each deleted file or folder through RecoverEntry while the job is not cancelled, and after a
// cancel a last log line that says how many files were left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recover/RecoveryJob.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

struct SelectionOutcome {
  bool failed = false;     // some RecoverEntry returned false
  bool cancelled = false;
  std::uint64_t notRecovered = 0;  // files a cancel left (the one it cut short included)
};

// The job's window, log, mode and answers are the caller's; its progress and counts start here.
SelectionOutcome recoverSelection(DriveFileList& list, const std::vector<FileEntry*>& entries,
                                  const std::u16string& targetFolder, RecoveryJob& job);

}  // namespace tarvosk
