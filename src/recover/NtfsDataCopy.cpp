#include "recover/NtfsDataCopy.h"

#include <algorithm>
#include <span>

#include "ntfs/Attribute.h"
#include "ntfs/CompressedUnits.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/Saturating.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk {

namespace {

constexpr std::uint64_t kCopyStretchBytes = 256 * 1024;

std::u16string message(unsigned id) { return std::u16string(loadString(id)); }

bool writeAll(HANDLE output, const std::uint8_t* bytes, std::uint64_t length) {
  while (length > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<std::uint64_t>(length, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(output, bytes, chunk, &written, nullptr) || written != chunk) return false;
    bytes += chunk;
    length -= chunk;
  }
  return true;
}

NtfsCopyResult fail(HANDLE output, const std::u16string& path, RecoveryJob& job, const std::u16string& text) {
  discardOutputFile(output, path);
  job.reportFailure(text);
  return NtfsCopyResult::Failed;
}

NtfsCopyResult copyResident(ByteSpan data, HANDLE output, const std::u16string& path, RecoveryJob& job) {
  ByteSpan value = ntfs::residentValue(data);
  if (!writeAll(output, value.data(), value.size())) return fail(output, path, job, message(res::IDS_WRITE_ERROR));
  job.addProgress(value.size());
  CloseHandle(output);
  return NtfsCopyResult::Succeeded;
}

// Polls the progress window once; true when the user has cancelled (the output is then gone).
bool cancelledAt(HANDLE output, const std::u16string& path, RecoveryJob& job) {
  if (job.window) job.window->pumpOneMessage();
  if (!job.cancelled()) return false;
  discardOutputFile(output, path);
  return true;
}

// Compression units through the shared unit reader, one unit per write and per poll. A unit that
// cannot be read ends the copy (reported as 145, as in the contiguous copy), a damaged one as
// 160; the partial output is deleted either way.
NtfsCopyResult copyCompressed(DWORD volume, ByteSpan data, const std::vector<Run>& runs, HANDLE output,
                              const std::u16string& path, RecoveryJob& job) {
  NtfsVolumeEntry* entry = ntfs::openEntry(volume);
  if (!entry || !ntfs::hasStandardCompressionUnit(data)) return fail(output, path, job, message(res::IDS_FILE_NOT_RECOVERABLE));
  ntfs::CompressedUnitReader units(*entry, runs);
  // A hostile data size must not make the copy write zeros past the clusters the runs map.
  std::uint64_t mapped = 0;
  for (const Run& r : runs) mapped = saturatingAdd(mapped, r.length);
  std::uint64_t remaining = std::min(ntfs::attributeDataSize(data), saturatingMultiply(mapped, entry->clusterSize));
  std::vector<BYTE> unit;
  for (std::uint64_t index = 0; remaining > 0; ++index) {
    ntfs::UnitRead read = units.read(index, unit);
    if (read != ntfs::UnitRead::Read)
      return fail(output, path, job,
                  message(read == ntfs::UnitRead::ReadFailed ? res::IDS_WRITE_ERROR : res::IDS_FILE_NOT_RECOVERABLE));
    std::uint64_t length = std::min(units.unitBytes(), remaining);
    if (!writeAll(output, unit.data(), length)) return fail(output, path, job, message(res::IDS_WRITE_ERROR));
    remaining -= length;
    job.addProgress(length);
    if (cancelledAt(output, path, job)) return NtfsCopyResult::Cancelled;
  }
  CloseHandle(output);
  return NtfsCopyResult::Succeeded;
}

}  // namespace

NtfsCopyResult copyNtfsData(DWORD volume, ByteSpan data, const std::vector<std::uint64_t>* selection, HANDLE output,
                            const std::u16string& path, RecoveryJob& job) {
  if (ntfs::isResident(data)) return copyResident(data, output, path, job);
  std::vector<Run> runs;
  DWORD clusterSize = 0;
  if (ntfs::decodeRunList(data, runs) != 0 || GetNTFSClusterSize(volume, &clusterSize) != 0 || clusterSize == 0)
    return fail(output, path, job, message(res::IDS_FILE_NOT_RECOVERABLE));
  if (ntfs::isCompressed(data)) return copyCompressed(volume, data, runs, output, path, job);

  std::uint64_t counted = 0;
  // Nothing past the data size (rounded up to a cluster) is copied: a hostile run list cannot
  // make the copy run on, and the file is cut to its data size at the end anyway.
  const std::uint64_t dataSize = ntfs::attributeDataSize(data);
  const std::uint64_t wanted = (dataSize + clusterSize - 1) / clusterSize * clusterSize;
  // Clusters that follow each other in a run are read and written a stretch at a time; the
  // copy still polls once per cluster. With a selection every cluster is taken alone. Small
  // files get a buffer of their own size, and zeros are made only for a sparse run.
  const std::uint64_t stretchClusters =
      selection ? 1 : std::clamp<std::uint64_t>(wanted / clusterSize, 1, std::max<std::uint64_t>(1, kCopyStretchBytes / clusterSize));
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(stretchClusters * clusterSize));
  std::vector<std::uint8_t> zeros;
  for (const Run& run : runs) {
    for (std::uint64_t i = 0; i < run.length && counted < wanted;) {
      bool sparse = run.startCluster == kSparseRun;
      std::uint64_t lcn = sparse ? 0 : static_cast<std::uint64_t>(run.startCluster) + i;
      if (selection && (sparse || std::find(selection->begin(), selection->end(), lcn) == selection->end())) {
        counted += clusterSize;
        job.addProgress(clusterSize);
        ++i;
        continue;
      }
      std::uint64_t n = std::min({stretchClusters, run.length - i, (wanted - counted) / clusterSize});
      const std::uint8_t* bytes = nullptr;
      if (sparse) {
        // A sparse run's clusters are zeros: written, so that the file comes back whole.
        zeros.resize(buffer.size(), 0);
        bytes = zeros.data();
      } else {
        auto read = [&](std::uint64_t clusters) {
          return ReadClusters(volume, lcn, static_cast<DWORD>(clusters),
                              std::span<BYTE>(buffer.data(), static_cast<std::size_t>(clusters * clusterSize))) == 0;
        };
        // A stretch that cannot be read is taken a cluster at a time, so that the copy fails at
        // the cluster that cannot be read, after the ones before it.
        if (!read(n)) {
          n = 1;
          if (!read(1))
            return fail(output, path, job,
                        format(loadString(res::IDS_CLUSTER_READ_ERROR), static_cast<std::int32_t>(run.startCluster)));
        }
        bytes = buffer.data();
      }
      if (!writeAll(output, bytes, n * clusterSize)) return fail(output, path, job, message(res::IDS_WRITE_ERROR));
      counted += n * clusterSize;
      job.addProgress(n * clusterSize);
      i += n;
      for (std::uint64_t polled = 0; polled < n; ++polled)
        if (cancelledAt(output, path, job)) return NtfsCopyResult::Cancelled;
    }
  }
  if (dataSize <= counted && counted <= dataSize + clusterSize) {
    if (!selection) {
      LARGE_INTEGER end{};
      end.QuadPart = static_cast<LONGLONG>(dataSize);
      SetFilePointerEx(output, end, nullptr, FILE_BEGIN);
      SetEndOfFile(output);
    }
    CloseHandle(output);
    return NtfsCopyResult::Succeeded;
  }
  CloseHandle(output);
  job.reportFailure(message(res::IDS_INTEGRITY_CHECK_FAILED), MB_ICONINFORMATION);
  return NtfsCopyResult::Failed;
}

}  // namespace tarvosk
