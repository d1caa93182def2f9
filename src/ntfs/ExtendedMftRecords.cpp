#include "ntfs/ExtendedMftRecords.h"

#include <vector>

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/RunList.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

DWORD addressOf(const void* p) { return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(p)); }

// An attribute list is at most 256 KiB (it has 16-bit entry lengths and lives in few clusters);
// a first run claiming more is damaged.
constexpr std::uint64_t kMaxAttributeListBytes = 256 * 1024;

}  // namespace

namespace tarvosk::ntfs {

DWORD extendedRecordNumbers(NtfsVolumeEntry& entry, ByteSpan record, DWORD type, std::uint64_t* recordNumbers,
                            DWORD* count) {
  DWORD capacity = count ? *count : 0;
  if (count) *count = 0;
  LOG_Write(g_logNTFS, INFO, u"GetExtendedMFTRecordNum(handle=0x%x): MFTHeader=0x%x, Attribute Id=%d", addressOf(&entry),
            addressOf(record.data()), type);
  ByteSpan list;
  if (FindAttribute(record, _AH_TYPE_AL, &list) != LAYER_SUCCESS) {
    LOG_Write(g_logNTFS, INFO, u"GetExtendedMFTRecordNum(handle=0x%x): FindAttribute(_AH_TYPE_AL) failed", addressOf(&entry));
    return LAYER_READ_FAILED;
  }
  std::vector<BYTE> nonResident;
  ByteSpan value;
  if (isResident(list)) {
    value = residentValue(list);
  } else {
    std::vector<Run> runs;
    if (decodeRunList(list, runs) != LAYER_SUCCESS || runs.empty()) {
      LOG_Write(g_logNTFS, ERROR, u"GetExtendedMFTRecordNum(handle=0x%x): GetRunCountFromAttr(0x%x) failed",
                addressOf(&entry), addressOf(list.data()));
      return LAYER_READ_FAILED;
    }
    const Run& first = runs.front();
    std::uint64_t bytes = first.length * entry.clusterSize;
    if (first.startCluster < 0 || first.length == 0 || first.length > kMaxAttributeListBytes / entry.clusterSize) {
      LOG_Write(g_logNTFS, ERROR, u"GetExtendedMFTRecordNum(handle=0x%x): __ReadClusters() failed", addressOf(&entry));
      return LAYER_READ_FAILED;
    }
    nonResident.resize(bytes);
    if (__ReadClusters(entry, static_cast<std::uint64_t>(first.startCluster), static_cast<DWORD>(first.length),
                       nonResident.data()) != LAYER_SUCCESS) {
      LOG_Write(g_logNTFS, ERROR, u"GetExtendedMFTRecordNum(handle=0x%x): __ReadClusters() failed", addressOf(&entry));
      return LAYER_READ_FAILED;
    }
    // Only the first run is read; the list's size beyond it is not there.
    std::uint64_t size = std::min<std::uint64_t>(attributeDataSize(list), bytes);
    value = ByteSpan(nonResident.data(), static_cast<std::size_t>(size));
  }
  std::uint64_t base = le64(record, kRecordBaseReference) & kRecordNumberMask;
  DWORD found = 0;
  std::size_t pos = 0;
  // Entries are at least kAlMinimumEntry bytes long, so the walk ends within the list.
  while (found < capacity && fitsIn(value.size(), pos, kAlMinimumEntry)) {
    std::uint16_t length = le16(value, pos + kAlLength);
    if (length < kAlMinimumEntry || !fitsIn(value.size(), pos, length)) break;
    std::uint64_t number = le32(value, pos + kAlRecordLow) |
                           (static_cast<std::uint64_t>(le16(value, pos + kAlRecordHigh)) << 32);
    if (le32(value, pos + kAlType) == type && number != base) {
      LOG_Write(g_logNTFS, INFO, u"GetExtendedMFTRecordNum(handle=0x%x): found record %I64d", addressOf(&entry), number);
      if (recordNumbers) recordNumbers[found] = number;
      ++found;
    }
    pos += length;
  }
  if (count) *count = found;
  return LAYER_SUCCESS;
}

}  // namespace tarvosk::ntfs

DWORD GetExtendedMFTRecordNum(DWORD handle, ByteSpan record, DWORD type, std::uint64_t* recordNumbers, DWORD* count) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) {
    if (count) *count = 0;
    return LAYER_BAD_HANDLE;
  }
  return extendedRecordNumbers(*entry, record, type, recordNumbers, count);
}
