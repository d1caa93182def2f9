// The undelete command's job: ask for the target folder, recover every collected entry under a
// progress window that can cancel, and show the error list when a batch had failures. The
// desktop program and the command line run the same steps through the front end's ports.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/UiPorts.h"
#include "recover/JobEntries.h"

namespace tarvosk {

// What the front end that starts a job lends it.
class RecoveryJobFront {
 public:
  virtual ~RecoveryJobFront() = default;
  // Runs copy under a progress window that exists only meanwhile, with the file list not
  // redrawn; returns what copy returned.
  virtual bool underProgress(const std::function<bool(ProgressWindow&)>& copy) = 0;
  // The error list: the recovery log of a batch in which something failed.
  virtual void showErrorList(const std::u16string& log) = 0;
};

struct RecoveryJobOutcome {
  bool batch = false;
  bool failed = false;     // some entry's recovery failed and said so
  bool cancelled = false;
  std::uint64_t notRecovered = 0;  // files a cancel left (the one it cut short included)
  std::u16string log;      // the recovery log, one line per file; after a cancel, a last line
                           // that says how many files were left
};

// Recovers entries (those deleted or folders) into target, with the bar's scale set over the
// bytes they bring back; stops before the next entry once the user cancels. selection is the
// cluster viewer's choice of units, or null.
RecoveryJobOutcome recoverJobEntries(const std::vector<JobEntry>& entries, const std::u16string& target,
                                     const std::vector<std::uint64_t>* selection, ProgressWindow& progress);

// The whole job: nothing happens for no entries or no target folder.
void runRecoveryJob(RecoveryJobFront& front, const std::vector<JobEntry>& entries,
                    const std::vector<std::uint64_t>* selection = nullptr);

}  // namespace tarvosk
