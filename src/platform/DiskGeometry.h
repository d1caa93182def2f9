// A cylinder, head and sector geometry whose product is exactly a disk's sector count, so that a
// caller multiplying the three loses nothing at the end of the disk.
#pragma once

#include <cstdint>

namespace tarvosk {

struct Geometry {
  std::uint64_t cylinders = 0;
  std::uint32_t tracksPerCylinder = 0;
  std::uint32_t sectorsPerTrack = 0;
};

// The largest heads x sectors (up to 255 x 63) that divides totalSectors; 1 x 1 when it is prime.
Geometry exactGeometry(std::uint64_t totalSectors);

}  // namespace tarvosk
