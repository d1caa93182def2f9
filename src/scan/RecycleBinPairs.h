// The recycle bin of Windows Vista and later: a folder per user in "X:\$Recycle.Bin", holding for
// each deleted item a "$I" file (where it lived, its size, when it was deleted) and the item
// itself under the same name with "$R" in place of "$I".
#pragma once

#include <cstdint>
#include <string>

#include "scan/DriveFileList.h"

namespace tarvosk {

// Lists the items of every user folder of "X:\$Recycle.Bin" under their former folders.
void ListRecycleBinPairs(const std::u16string& drivePath, DriveFileList& list, std::uint64_t& recycleId);

// Lists the items of one user folder: each "$I" file whose "$R" item is there becomes an entry
// of the item under its former folder and name. A "$I" that is malformed, whose item is missing
// or whose folder is not in the list is skipped with a log line.
void ReadRecycleBinFolder(const std::u16string& folderPath, DriveFileList& list, std::uint64_t& recycleId);

}  // namespace tarvosk
