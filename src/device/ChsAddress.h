// Conversion of a logical block address into the cylinder, head and sector that the BIOS disk
// services take.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"

namespace tarvosk {

struct ChsAddress {
  WORD cylinder = 0;  // kept to 16 bits
  BYTE head = 0;      // kept to 8 bits
  BYTE sector = 1;    // 1-based, kept to 8 bits
};

// cylinder = lba / (heads x sectors); head = remainder / sectors; sector = the rest + 1. A
// geometry with no heads or no sectors gives cylinder 0, head 0, sector 1 (the disk library
// then goes by the LBA, which it is always given too).
constexpr ChsAddress chsFromLba(std::uint64_t lba, DWORD heads, DWORD sectorsPerTrack) {
  ChsAddress chs;
  const std::uint64_t perCylinder = static_cast<std::uint64_t>(heads) * sectorsPerTrack;
  if (perCylinder == 0) return chs;
  const std::uint64_t cylinder = lba / perCylinder;
  const std::uint64_t head = (lba % perCylinder) / sectorsPerTrack;
  const std::uint64_t sector = lba - (cylinder * heads + head) * sectorsPerTrack + 1;
  chs.cylinder = static_cast<WORD>(cylinder);
  chs.head = static_cast<BYTE>(head);
  chs.sector = static_cast<BYTE>(sector);
  return chs;
}

}  // namespace tarvosk
