// The data of an exFAT file found by a basic scan: its entry set read again through the entry's
// id, and the clusters that hold (or, for a deleted file whose chain is gone, most likely held)
// its data.
#pragma once

#include <cstdint>
#include <vector>

#include "exfat/ExfatVolume.h"
#include "scan/FileEntry.h"

namespace tarvosk {

struct ExfatFileData {
  std::vector<ExfatRun> runs;         // in file order, as far as the data length needs
  std::uint64_t dataLength = 0;
  std::uint64_t validDataLength = 0;  // at most the data length; the bytes after it read as zeros
  std::uint32_t clusterSize = 0;
};

// Whether the entry's data is found through its entry set (an exFAT entry of a basic scan).
inline bool isExfatSetEntry(const FileEntry& entry) {
  return entry.kind == ENTRY_KIND_EXFAT && entry.startPosition == 0 && entry.id != ROOT_ENTRY_ID;
}

// False when the set cannot be read again or its clusters cannot be worked out (a first cluster
// outside the heap).
bool findExfatFileData(const FileEntry& entry, ExfatFileData& out);

}  // namespace tarvosk
