// The units that hold a found file's data, as the cluster viewer lists them (each marked free
// or taken by another file), and the bytes of one of them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scan/FileEntry.h"

namespace tarvosk {

struct ViewerUnit {
  std::uint64_t number = 0;
  bool free = true;  // false: another file now occupies it
};

struct FileUnits {
  std::uint32_t unitSize = 0;
  std::uint64_t dataLength = 0;        // the bytes of the file's data
  std::vector<ViewerUnit> units;
  std::vector<std::uint8_t> resident;  // the data of a resident NTFS file (no units)
};

// Builds the list for entry; failures are shown to the user (the file is damaged, no data was
// found) and leave the list empty. A compressed NTFS file is announced before its stored units.
FileUnits listFileUnits(const FileEntry& entry);

// Reads unit index (of files.units) into bytes, cut to the data length for the last unit.
// False when it cannot be read.
bool readFileUnit(const FileEntry& entry, const FileUnits& files, std::size_t index, std::vector<std::uint8_t>& bytes);

}  // namespace tarvosk
