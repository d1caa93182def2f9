// The names a folder's own index ($I30) lists: its $INDEX_ROOT and the blocks of its
// $INDEX_ALLOCATION that its $BITMAP marks in use. A lookup or a listing in one folder reads these
// instead of every record of the volume.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"

namespace tarvosk {

struct FolderIndexName {
  std::uint64_t record = 0;  // the record the entry names (the file's base record)
  std::u16string name;       // a long (Win32 or POSIX) name; DOS names are left out
};

// The long names of the folder whose base record is given. False when the folder has no index or
// any part of it is damaged or holds more than maxBytes: the index then cannot answer.
bool readFolderIndexNames(NtfsVolumeEntry& volume, ByteSpan folderRecord, std::uint64_t maxBytes,
                          std::vector<FolderIndexName>& out);

}  // namespace tarvosk
