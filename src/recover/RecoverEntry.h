// The recovery engine: copies one found file or folder out of the scanned disk into a target
// folder, folders with everything in them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recover/RecoveryJob.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

// False when the entry, or something inside a folder entry, failed and the failure was
// reported; true for success, a cancel, a declined overwrite and every recycle-bin entry.
// selection (the cluster viewer's choice of units) applies to a single file only.
bool RecoverEntry(DriveFileList& list, FileEntry& entry, const std::vector<std::uint64_t>* selection,
                  const std::u16string& targetFolder, RecoveryJob& job);

}  // namespace tarvosk
