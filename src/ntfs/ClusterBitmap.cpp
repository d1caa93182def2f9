#include "ntfs/ClusterBitmap.h"

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace tarvosk::ntfs {

ByteSpan bitmapDataAttribute(NtfsVolumeEntry& entry) {
  if (!entry.firstRecords || entry.recordSize == 0) return {};
  std::span<BYTE> record(entry.firstRecords + kMftRecordBitmap * entry.recordSize, entry.recordSize);
  // Record 6 is fixed up here before its attributes are read (marked, so once only), and used
  // only when it is sound.
  FixupResult fixed = applyFixups(record);
  if (fixed == FixupResult::Mismatch || fixed == FixupResult::BadArray) return {};
  ByteSpan bytes(record.data(), record.size());
  if (mftRecordFault(bytes)) return {};
  return findUnnamedAttribute(bytes, _AH_TYPE_DA);
}

DWORD clusterFree(NtfsVolumeEntry& entry, std::uint64_t cluster, DWORD* isFree) {
  LOG_Write(g_logNTFS, INFO, u"IsClusterFree(%I64d)", cluster);
  ByteSpan data = bitmapDataAttribute(entry);
  if (!data.data()) {
    LOG_Write(g_logNTFS, ERROR, u"IsClusterFree(%I64d): the $Bitmap record has no usable $DATA attribute", cluster);
    return LAYER_READ_FAILED;
  }
  // The run list is decoded afresh on every call and discarded before returning.
  DWORD decoded = decodeRunList(data, entry.bitmapRuns);
  entry.bitmapRunCount = static_cast<DWORD>(entry.bitmapRuns.size());
  if (decoded != LAYER_SUCCESS) {
    LOG_Write(g_logNTFS, ERROR, u"IsClusterFree(%I64d): the $Bitmap run list cannot be decoded", cluster);
    entry.bitmapRuns.clear();
    entry.bitmapRunCount = 0;
    return LAYER_READ_FAILED;
  }
  std::uint64_t bitsPerCluster = static_cast<std::uint64_t>(entry.clusterSize) * 8;
  std::uint64_t vcn = cluster / bitsPerCluster;
  std::uint64_t bit = cluster % bitsPerCluster;
  std::int64_t bitmapCluster = -1;
  for (const Run& run : entry.bitmapRuns) {
    if (vcn < run.length) {
      bitmapCluster = run.startCluster < 0 ? -2 : run.startCluster + static_cast<std::int64_t>(vcn);
      break;
    }
    vcn -= run.length;
  }
  entry.bitmapRuns.clear();
  entry.bitmapRunCount = 0;
  if (bitmapCluster == -1) {
    LOG_Write(g_logNTFS, ERROR, u"IsClusterFree(%I64d): failed, because the cluster is not found in the bitmap", cluster);
    return LAYER_BAD_HANDLE;
  }
  if (bitmapCluster < 0) {
    LOG_Write(g_logNTFS, ERROR, u"IsClusterFree(%I64d): the bitmap cluster lies in a sparse run", cluster);
    return LAYER_READ_FAILED;
  }
  auto lcn = static_cast<std::uint64_t>(bitmapCluster);
  const std::size_t slot = static_cast<std::size_t>(cluster / bitsPerCluster % entry.cachedBitmapClusters.size());
  BYTE* held = entry.bitmapBuffer + slot * entry.clusterSize;
  if (entry.cachedBitmapClusters[slot] != lcn) {
    entry.cachedBitmapClusters[slot] = 0;
    if (__ReadClusters(entry, lcn, 1, held) != LAYER_SUCCESS) {
      LOG_Write(g_logNTFS, ERROR, u"IsClusterFree(%I64d): __ReadClusters() failed", cluster);
      return LAYER_READ_FAILED;
    }
    entry.cachedBitmapClusters[slot] = lcn;
  }
  std::uint8_t byte = held[bit / 8];
  if (isFree) *isFree = (byte & (1u << (bit & 7))) ? 0 : 1;
  return LAYER_SUCCESS;
}

}  // namespace tarvosk::ntfs

DWORD IsClusterFree(DWORD handle, std::uint64_t cluster, DWORD* isFree) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) {
    LOG_Write(g_logNTFS, INFO, u"IsClusterFree(%I64d)", cluster);
    return LAYER_BAD_HANDLE;
  }
  return clusterFree(*entry, cluster, isFree);
}
