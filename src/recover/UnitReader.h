// How the recovery engine reads the units of a file that lies in one contiguous stretch: the
// clusters of a FAT volume, the clusters of an NTFS volume, the sectors of a physical drive.
#pragma once

#include <cstdint>

namespace tarvosk {

class UnitReader {
 public:
  virtual ~UnitReader() = default;
  virtual std::uint32_t unitSize() const = 0;
  // Reads one unit into buffer (unitSize bytes); false on a read failure.
  virtual bool readUnit(std::uint64_t unit, std::uint8_t* buffer) = 0;
};

}  // namespace tarvosk
