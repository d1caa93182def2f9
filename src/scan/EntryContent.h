// Reads a found file's data (for the content search, and for the recycle bin's "$I" files), by
// where it was found: consecutive units from its start (FAT files and carved files), the runs of
// its MFT record (NTFS files), the clusters its entry set names (exFAT files), or the real file
// (recycle-bin entries).
#pragma once

#include <functional>

#include "platform/ByteOrder.h"
#include "scan/FileEntry.h"

namespace tarvosk {

// Hands the file's bytes to visit piece by piece (a cluster at a time); skipped runs (sparse or
// too long) are left out. visit returns false to stop. Returns false when the data cannot be
// read, or must not be searched (more than 100,000 FAT clusters, compressed).
bool readFileContent(const FileEntry& entry, const std::function<bool(ByteSpan piece)>& visit);

}  // namespace tarvosk
