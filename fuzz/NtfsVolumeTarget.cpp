// The NTFS volume layer over a whole in-memory volume: the boot sector and $MFT at open, then
// every record (up to a bound) with its attributes, run lists, attribute list and name, the
// clusters its runs point at and their state in the allocation bitmap.
#include <algorithm>
#include <vector>

#include "FuzzTarget.h"
#include "MemoryImage.h"
#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

constexpr std::uint64_t kMaxRecordsVisited = 128;
constexpr std::size_t kMaxRunsVisited = 8;

void visitRuns(DWORD volume, ByteSpan attribute, std::vector<BYTE>& cluster) {
  std::vector<Run> runs;
  if (decodeRunList(attribute, runs) != 0) return;
  for (std::size_t i = 0; i < std::min(runs.size(), kMaxRunsVisited); ++i) {
    if (runs[i].startCluster == kSparseRun) continue;
    const auto first = static_cast<std::uint64_t>(runs[i].startCluster);
    DWORD isFree = 0;
    if (IsClusterFree(volume, first, &isFree) == 0) fuzz::require(isFree <= 1, "a cluster is free or in use");
    ReadClusters(volume, first, 1, cluster);
  }
}

void visitRecord(DWORD volume, ByteSpan record, std::vector<BYTE>& cluster) {
  forEachAttribute(record, [&](ByteSpan attribute) {
    if (!isResident(attribute)) visitRuns(volume, attribute, cluster);
    return true;
  });
  ByteSpan data;
  FindAttribute(record, _AH_TYPE_DA, &data);
  ByteSpan name;
  GetFileName(record, &name);
  std::uint64_t extensions[kMaxMftExtensionRecords];
  DWORD count = kMaxMftExtensionRecords;
  if (GetExtendedMFTRecordNum(volume, record, _AH_TYPE_DA, extensions, &count) == 0)
    fuzz::require(count <= kMaxMftExtensionRecords, "an attribute list never passes the capacity");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::registerFileSystemProvidersOnce();
  fuzz::MemoryImage image(ByteSpan(data, size));
  if (!image.attach()) return 0;
  DWORD volume = OpenMFT(u"C:");
  if (volume == kNtfsInvalidHandle) return 0;
  DWORD recordSize = 0;
  DWORD clusterSize = 0;
  std::uint64_t mftSize = 0;
  GetMFTRecordSize(volume, &recordSize);
  GetNTFSClusterSize(volume, &clusterSize);
  GetMFTSize(volume, &mftSize);
  fuzz::require(recordSize > 0 && clusterSize > 0, "an open volume has record and cluster sizes");
  std::vector<BYTE> record(recordSize);
  std::vector<BYTE> cluster(clusterSize);
  const std::uint64_t records = std::min(mftRecordCount(*openEntry(volume)), kMaxRecordsVisited);
  for (std::uint64_t r = 0; r < records; ++r) {
    if (GetMFTRecord(volume, r, record) == 0) visitRecord(volume, record, cluster);
  }
  // The bitmap's edges: the first cluster, the last the image can hold, and one far beyond.
  DWORD isFree = 0;
  IsClusterFree(volume, 0, &isFree);
  IsClusterFree(volume, image.sizeBytes() / clusterSize, &isFree);
  IsClusterFree(volume, ~0ull >> 1, &isFree);
  CloseMFT(volume);
  return 0;
}
