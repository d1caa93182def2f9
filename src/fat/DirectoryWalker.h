// The FAT directory walker: reads folders entry by entry, live and deleted entries alike, and
// hands each one out with a new file handle through which a folder can be walked in turn.
#pragma once

#include <cstdint>

#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

constexpr std::size_t FAT_NAME_CHARS = 260;

// What FAT_GetNextFile returns for one directory entry.
struct FatFileInfo {
  DWORD handle;                 // the new file handle of this entry
  WCHAR name[FAT_NAME_CHARS];   // long name if fragments preceded the entry, else the short name
  BYTE folder;                  // 1 if attribute 0x10 is set
  BYTE deleted;                 // 1 if byte 0 is 0xE5, or the folder walked is itself deleted
  DWORD clusterCount;           // values in the entry's cluster list
  DWORD size;
  WORD time;
  WORD date;
  std::uint64_t startCluster;
};

// Opens the root directory of a volume; 0, 4 for a bad volume handle, 1 when the fixed root
// area of a FAT12/16 volume cannot be read.
DWORD FAT_OpenRootDirectory(DWORD volumeHandle, DWORD* fileHandle);
// 0 an entry was returned; 2 no more entries; 1 the folder is damaged; 4 unknown handle, or the
// folder's cluster list is exhausted.
DWORD FAT_GetNextFile(DWORD fileHandle, FatFileInfo* info);
DWORD FAT_CloseHandle(DWORD fileHandle);

struct FatFileRecord;
// The record of an open file handle (its cluster list, attributes and short name), or null for
// an unknown handle. Valid until the handle is closed.
const FatFileRecord* FAT_GetFileRecord(DWORD fileHandle);
