#include "scan/EntryTimes.h"

#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

// The time the views show for an NTFS file is the one its $FILE_NAME attribute holds (the first
// one of the record), so every front end and the search agree on it.
bool ntfsModificationTime(const FileEntry& entry, FILETIME& local) {
  DWORD recordSize = 0;
  if (GetMFTRecordSize(entry.handle, &recordSize) != LAYER_SUCCESS || recordSize == 0) return false;
  std::vector<BYTE> record(recordSize);
  ByteSpan attribute;
  if (GetMFTRecord(entry.handle, mftRecordNumberOf(entry), record) != LAYER_SUCCESS ||
      FindAttribute(record, ntfs::kAttrFileName, &attribute) != LAYER_SUCCESS)
    return false;
  ByteSpan value = ntfs::residentValue(attribute);
  if (!fitsIn(value.size(), ntfs::kFnModificationTime, 8)) return false;
  FILETIME utc = makeFileTime(le64(value, ntfs::kFnModificationTime));
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
