#include "scan/RecoveryChance.h"

#include <algorithm>
#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/RunList.h"
#include "platform/Saturating.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/FileUnitLimits.h"
#include "scan/NtfsFileData.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

void copyText(WCHAR* text, std::u16string_view s) {
  std::size_t n = std::min(s.size(), kRecoveryChanceTextUnits - 1);
  std::copy_n(s.begin(), n, text);
  text[n] = 0;
}

std::u16string_view chanceText(std::uint8_t level) {
  switch (level) {
    case CHANCE_NOT_RECOVERABLE: return loadString(res::IDS_CHANCE_NOT_RECOVERABLE);
    case CHANCE_POOR: return loadString(res::IDS_CHANCE_POOR);
    case CHANCE_PROBABLY_GOOD: return loadString(res::IDS_CHANCE_PROBABLY_GOOD);
    case CHANCE_EXCELLENT: return loadString(res::IDS_CHANCE_EXCELLENT);
    default: return loadString(res::IDS_CHANCE_UNKNOWN);
  }
}

}  // namespace

std::uint8_t RateNtfsFileData(DWORD volume, ByteSpan data, std::uint64_t maxClusters) {
  if (ntfs::isResident(data)) return CHANCE_PROBABLY_GOOD;
  std::vector<Run> runs;
  if (ntfs::decodeRunList(data, runs) != 0) return CHANCE_NOT_RECOVERABLE;
  std::uint64_t clusters = 0;
  for (const Run& run : runs)
    if (run.startCluster != kSparseRun) clusters = saturatingAdd(clusters, run.length);
  if (clusters > maxClusters) return CHANCE_NOT_RATED;
  // A sparse run is passed over; a run too long to walk counts as a cluster in use.
  bool allFree = walkRunClusters(
      runs,
      [volume](std::uint64_t cluster) {
        DWORD isFree = 1;  // a cluster whose test cannot answer counts as free
        if (IsClusterFree(volume, cluster, &isFree) != 0) isFree = 1;
        return isFree != 0;
      },
      [](const Run&, PassedRun why) { return why == PassedRun::Sparse; });
  return allFree ? CHANCE_PROBABLY_GOOD : CHANCE_POOR;
}

std::uint8_t RateDeletedNtfsFile(DWORD volume, std::uint64_t recordNumber) {
  std::vector<BYTE> record;
  ByteSpan data;
  if (findNtfsFileData(volume, recordNumber, record, data) != NtfsDataLookup::Found) return CHANCE_NOT_RECOVERABLE;
  return RateNtfsFileData(volume, data);
}

std::uint8_t GetRecoveryChanceText(WCHAR* text, FileEntry& entry) {
  if (!settings().ShowRecoveryChanses) {
    text[0] = 0;
    return entry.recoveryChance;
  }
  if (entry.recoveryChance >= CHANCE_NOT_RECOVERABLE && entry.recoveryChance <= CHANCE_EXCELLENT) {
    copyText(text, chanceText(entry.recoveryChance));
    return entry.recoveryChance;
  }
  if (entry.kind != ENTRY_KIND_FAT && entry.startPosition != 0) {
    copyText(text, chanceText(CHANCE_NOT_RATED));
    return entry.recoveryChance;
  }
  if (!entry.deleted || entry.isFolder) return entry.recoveryChance;
  if (entry.kind != ENTRY_KIND_NTFS) {
    copyText(text, chanceText(CHANCE_NOT_RATED));
    return entry.recoveryChance;
  }
  entry.recoveryChance = RateDeletedNtfsFile(entry.handle, mftRecordNumberOf(entry));
  copyText(text, chanceText(entry.recoveryChance));
  return entry.recoveryChance;
}

}  // namespace tarvosk
