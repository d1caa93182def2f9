#include "recover/ExfatDataCopy.h"

#include <algorithm>

#include "exfat/ExfatClusterRuns.h"
#include "platform/Files.h"

namespace tarvosk {

namespace {

constexpr std::size_t kZeroChunk = 64 * 1024;
// The zeros after the valid data poll the progress window once per this many chunks.
constexpr std::uint64_t kChunksPerPoll = 10;

CopyOutcome writeZeros(HANDLE output, std::uint64_t count, RecoveryJob& job) {
  const std::vector<std::uint8_t> zeros(static_cast<std::size_t>(std::min<std::uint64_t>(count, kZeroChunk)), 0);
  for (std::uint64_t chunk = 1; count > 0; ++chunk) {
    const DWORD length = static_cast<DWORD>(std::min<std::uint64_t>(count, zeros.size()));
    DWORD written = 0;
    if (!WriteFile(output, zeros.data(), length, &written, nullptr) || written != length) return CopyOutcome::Incomplete;
    count -= written;
    job.addProgress(written);
    if (chunk % kChunksPerPoll == 0 && job.window) {
      job.window->pumpOneMessage();
      if (job.cancelled()) return CopyOutcome::Cancelled;
    }
  }
  return CopyOutcome::Complete;
}

}  // namespace

CopyOutcome copyExfatData(DriveUnits& units, const ExfatFileData& data, const std::vector<std::uint64_t>* selection,
                          HANDLE output, RecoveryJob& job, bool& whole) {
  const std::uint64_t covered = exfat::clustersIn(data.runs) * data.clusterSize;
  const std::uint64_t length = std::min(data.dataLength, covered);
  whole = length == data.dataLength;
  std::uint64_t left = std::min(data.validDataLength, length);
  for (const ExfatRun& run : data.runs) {
    if (left == 0) break;
    const std::uint64_t bytes = std::min(left, run.count * data.clusterSize);
    if (CopyOutcome outcome = copyContiguousUnits(units, run.first, bytes, selection, output, job);
        outcome != CopyOutcome::Complete)
      return outcome;
    left -= bytes;
  }
  // Chosen clusters are copied as they are; the zeros after the valid data are no cluster's.
  if (selection) return CopyOutcome::Complete;
  return writeZeros(output, length - std::min(data.validDataLength, length), job);
}

}  // namespace tarvosk
