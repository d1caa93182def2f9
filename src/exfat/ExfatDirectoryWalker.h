// The exFAT directory walker: reads folders set by set, live and deleted sets alike, and hands
// each one out with a new file handle through which a folder can be walked in turn.
#pragma once

#include <cstdint>

#include "platform/ResultCodes.h"
#include "exfat/ExfatEntrySet.h"
#include "platform/WinTypes.h"

// What EXFAT_GetNextFile returns for one entry set.
struct ExfatFileInfo {
  DWORD handle = 0;               // the new file handle of this entry
  BYTE deleted = 0;               // the set's in-use bits are clear, or the folder walked is deleted
  std::uint64_t setPosition = 0;  // the file entry's place on the volume, in 32-byte entries
  tarvosk::ExfatEntrySet set;
};

// Opens the root directory of a volume; 0, or 4 for a bad volume handle.
DWORD EXFAT_OpenRootDirectory(DWORD volumeHandle, DWORD* fileHandle);
// 0 an entry was returned; 2 no more entries; 1 the folder's data cannot be read; 4 unknown
// handle. A deleted folder is walked through its clusters that are still free.
DWORD EXFAT_GetNextFile(DWORD fileHandle, ExfatFileInfo* info);
DWORD EXFAT_CloseHandle(DWORD fileHandle);

// Reads the set whose file entry lies at setPosition again (a place EXFAT_GetNextFile gave
// out): 0, 1 when it cannot be read or is no usable set, or 4 for a bad volume handle.
DWORD EXFAT_ReadEntrySet(DWORD volumeHandle, std::uint64_t setPosition, tarvosk::ExfatEntrySet* set);
