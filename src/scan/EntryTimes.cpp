#include "scan/EntryTimes.h"

#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

constexpr DWORD kStandardInformation = 0x10;
constexpr std::size_t kModificationTime = 8;  // in the $STANDARD_INFORMATION value

bool ntfsModificationTime(const FileEntry& entry, FILETIME& local) {
  DWORD recordSize = 0;
  if (GetMFTRecordSize(entry.handle, &recordSize) != 0 || recordSize == 0) return false;
  std::vector<BYTE> record(recordSize);
  ByteSpan attribute;
  if (GetMFTRecord(entry.handle, mftRecordNumberOf(entry), record) != 0 ||
      FindAttribute(record, kStandardInformation, &attribute) != 0)
    return false;
  ByteSpan value = ntfs::residentValue(attribute);
  if (!fitsIn(value.size(), kModificationTime, 8)) return false;
  FILETIME utc = makeFileTime(le64(value, kModificationTime));
  return FileTimeToLocalFileTime(&utc, &local) != FALSE;
}

}  // namespace

bool entryModifiedTime(const FileEntry& entry, FILETIME& local) {
  if (entry.kind == ENTRY_KIND_NTFS && entry.startPosition == 0 && entry.id != ORPHAN_FOLDER_ENTRY_ID)
    return ntfsModificationTime(entry, local);
  if (entry.dosDate == 0) return false;
  return DosDateTimeToFileTime(entry.dosDate, entry.dosTime, &local) != FALSE;
}

}  // namespace tarvosk
