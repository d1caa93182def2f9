// Recovering a recycle-bin entry: the kept file is still whole, so it is copied as it is.
#pragma once

#include <string>

#include "recover/RecoveryJob.h"
#include "scan/FileEntry.h"

namespace tarvosk {

// Copies entry's kept file to outputPath; the result goes to the log only. Always true.
bool recoverRecycleBinEntry(const FileEntry& entry, const std::u16string& outputPath, RecoveryJob& job);

}  // namespace tarvosk
