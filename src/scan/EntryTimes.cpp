#include "scan/EntryTimes.h"

#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsVolume.h"
#include "platform/Time.h"

namespace tarvosk {

namespace {

// The $FILE_NAME time of an entry that the scan did not time, read from its record.
bool readFileNameTime(const FileEntry& entry, std::uint64_t& time) {
  DWORD recordSize = 0;
  if (GetMFTRecordSize(entry.handle, &recordSize) != LAYER_SUCCESS || recordSize == 0) return false;
  std::vector<BYTE> record(recordSize);
  return GetMFTRecord(entry.handle, mftRecordNumberOf(entry), record) == LAYER_SUCCESS &&
         ntfs::firstFileNameTime(record, time);
}

// The time the views show for an NTFS file is the one its $FILE_NAME attribute holds (the first
// one of the record), so every front end and the search agree on it. The scan keeps it in the
// entry as it passes the record.
bool ntfsModificationTime(const FileEntry& entry, FILETIME& local) {
  std::uint64_t time = entry.fileNameTime;
  if (time == 0 && !readFileNameTime(entry, time)) return false;
  FILETIME utc = makeFileTime(time);
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
