#include "scan/NtfsFileData.h"

#include "ntfs/Attribute.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"

namespace tarvosk {

NtfsDataLookup findNtfsFileData(DWORD volume, std::uint64_t recordNumber, std::vector<BYTE>& record, ByteSpan& data) {
  DWORD recordSize = 0;
  if (GetMFTRecordSize(volume, &recordSize) != 0 || recordSize == 0) return NtfsDataLookup::RecordUnreadable;
  record.assign(recordSize, 0);
  if (GetMFTRecord(volume, recordNumber, record) != 0) return NtfsDataLookup::RecordUnreadable;
  if (FindAttribute(record, ntfs::_AH_TYPE_DA, &data) == 0) return NtfsDataLookup::Found;
  std::uint64_t numbers[kMaxMftExtensionRecords] = {};
  DWORD count = kMaxMftExtensionRecords;
  std::vector<BYTE> base = record;
  if (GetExtendedMFTRecordNum(volume, base, ntfs::_AH_TYPE_DA, numbers, &count) != 0) return NtfsDataLookup::NoData;
  for (DWORD i = 0; i < count; ++i) {
    if (GetMFTRecord(volume, numbers[i], record) != 0) continue;
    if (FindAttribute(record, ntfs::_AH_TYPE_DA, &data) == 0) return NtfsDataLookup::Found;
  }
  return NtfsDataLookup::NoData;
}

}  // namespace tarvosk
