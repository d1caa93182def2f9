// Free and total clusters of a FAT volume, counted from its first FAT.
#pragma once

#include <cstdint>

#include "fat/FatBootSector.h"
#include "platform/WinTypes.h"

namespace tarvosk {

// Reads the first FAT of the volume of drive letter and counts the entries of clusters
// 2 .. cluster count + 1 that are 0. Returns ERROR_SUCCESS or the read's Win32 error.
DWORD countFreeClusters(WCHAR letter, const FatBootSector& boot, std::uint64_t& freeClusters);

}  // namespace tarvosk
