// When a listed file was last modified, wherever its time is kept: in the entry (FAT files,
// recycle-bin and carved files, as DOS date and time) or in the $FILE_NAME attribute of its MFT
// record (NTFS files).
#pragma once

#include "platform/WinTypes.h"
#include "scan/FileEntry.h"

namespace tarvosk {

// The modification time as local time; false when the entry has none.
bool entryModifiedTime(const FileEntry& entry, FILETIME& local);

}  // namespace tarvosk
