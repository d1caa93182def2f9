#include "recover/RecoveryJobFlow.h"

#include "platform/Format.h"
#include "recover/RecoverEntry.h"
#include "recover/TargetFolder.h"

namespace tarvosk {

RecoveryJobOutcome recoverJobEntries(const std::vector<JobEntry>& entries, const std::u16string& target,
                                     const std::vector<std::uint64_t>* selection, ProgressWindow& progress) {
  RecoveryJob job;
  job.window = &progress;
  job.batch = isBatchJob(entries);
  std::uint64_t total = 0;
  for (const JobEntry& e : entries) total += recoverableBytes(*e.list, *e.entry);
  job.progressShift = progressShiftFor(total);
  progress.setText(u"正在反删除文件...");
  progress.setRange(0, static_cast<int>(total >> job.progressShift));
  progress.setPosition(0);
  RecoveryJobOutcome outcome;
  outcome.batch = job.batch;
  for (const JobEntry& e : entries) {
    if (progress.cancelled()) break;
    if (e.entry->deleted || e.entry->isFolder)
      outcome.failed = !RecoverEntry(*e.list, *e.entry, selection, target, job) || outcome.failed;
  }
  outcome.cancelled = progress.cancelled();
  if (outcome.cancelled) {
    std::uint64_t files = 0;
    for (const JobEntry& e : entries) files += filesToRecover(*e.list, *e.entry);
    const std::uint64_t ended = job.filesStarted - (job.interrupted ? 1 : 0);
    outcome.notRecovered = files > ended ? files - ended : 0;
    job.log += format(u"Job cancelled: %I64d entries not recovered\r\n", outcome.notRecovered);
  }
  // A cancel closes the window at once; the front end takes it away in any case.
  progress.close();
  outcome.log = std::move(job.log);
  return outcome;
}

void runRecoveryJob(RecoveryJobFront& front, const std::vector<JobEntry>& entries,
                    const std::vector<std::uint64_t>* selection) {
  if (entries.empty()) return;
  std::optional<std::u16string> target = chooseTargetFolder(entries.front().entry->driveLetter);
  if (!target) return;
  RecoveryJobOutcome outcome;
  front.underProgress([&](ProgressWindow& progress) {
    outcome = recoverJobEntries(entries, *target, selection, progress);
    return !outcome.failed;
  });
  if (outcome.batch && outcome.failed) front.showErrorList(outcome.log);
}

}  // namespace tarvosk
