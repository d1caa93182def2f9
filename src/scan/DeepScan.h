// The carving scans: the units of a range are read chunk by chunk, units in use are fed without
// data, and every unit goes to the recognisers; their finds become one folder per type.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/UiPorts.h"
#include "scan/DriveFileList.h"
#include "types/FilterRegistry.h"

namespace tarvosk {

// Where a carving scan reads its units: the clusters of a volume or the sectors of a drive.
class ChunkReader {
 public:
  virtual ~ChunkReader() = default;
  virtual std::uint32_t unitSize() const = 0;
  virtual std::uint32_t unitsPerChunk() const = 0;
  // Reads count units from unit into out (count times the unit size). False when the chunk is
  // not to be fed with data: its units are in use, or the read failed (logged by the reader).
  virtual bool readChunk(std::uint64_t unit, std::uint32_t count, std::uint8_t* out) = 0;
};

// The carving scan of the drive that root's handle and kind name (a FAT or NTFS volume's
// clusters, a physical drive's sectors), feeding the process's recognisers. Returns true.
bool DeepScan(ProgressWindow& window, DriveFileList& list, FileEntry& root, std::uint64_t first, std::uint64_t last);

// Scans units [first, last) of reader into list under root, feeding registry. Returns true.
bool runDeepScan(ChunkReader& reader, FilterRegistry& registry, ProgressWindow& window, DriveFileList& list,
                 FileEntry& root, std::uint64_t first, std::uint64_t last);

}  // namespace tarvosk
