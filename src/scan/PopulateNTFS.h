// The basic scan of an NTFS volume: every MFT record that names a folder or a deleted file
// becomes an entry under its parent record's entry; entries whose parent is gone go to the
// "ORPHAN" folder.
#pragma once

#include <cstdint>

#include "platform/UiPorts.h"
#include "platform/WinTypes.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

// Reads records 0 .. recordCount - 1 of the volume into list.
void EnumerateMFT(ProgressWindow& window, DriveFileList& list, DWORD volume, char16_t driveLetter,
                  std::uint64_t recordCount, DWORD recordSize);

// Attaches every entry to its parent, or to the "ORPHAN" folder when the parent is not listed.
void AttachOrphans(DriveFileList& list, DWORD volume, char16_t driveLetter);

}  // namespace tarvosk
