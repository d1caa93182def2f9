// The units of a scanned drive, read through the layer that scanned it: the clusters of a FAT,
// NTFS or exFAT volume, the sectors of a physical drive.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/WinTypes.h"

namespace tarvosk {

class DriveUnits {
 public:
  virtual ~DriveUnits() = default;
  virtual std::uint32_t unitSize() const = 0;
  // Reads count units from unit into buffer (count times the unit size); false on failure.
  virtual bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) = 0;
  // Whether the file system marks the unit as free (a physical drive has no allocation).
  virtual bool isFree(std::uint64_t unit) = 0;
};

// The units behind a handle of the given entry kind, or null when the layer does not know the
// handle.
std::unique_ptr<DriveUnits> driveUnitsOf(std::uint8_t entryKind, DWORD handle);

}  // namespace tarvosk
