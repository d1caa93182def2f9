// Recognising a volume's file system from its boot sector, and the MBR partition type that
// stands for it.
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"
#include "platform/DriveNamespace.h"

namespace tarvosk {

// NTFS and exFAT by their OEM names; FAT12/16/32 when the FAT layer's boot-sector parse accepts
// the sector (then by its cluster count); None for anything else (including damaged boot sectors).
FileSystemKind probeFileSystem(ByteSpan bootSector);

// 0x01 FAT12; FAT16 0x04 under 65536 sectors, 0x06 inside the CHS-addressable area, else 0x0E;
// FAT32 0x0B inside the CHS-addressable area, else 0x0C; 0x07 NTFS and exFAT; 0x00 for None.
std::uint8_t partitionTypeFor(FileSystemKind kind, std::uint64_t firstSector, std::uint64_t sectorCount);

// Whether an MBR type byte names a FAT, NTFS or exFAT partition (one that gets a drive letter
// even when its boot sector is damaged).
bool isFatOrNtfsPartitionType(std::uint8_t type);

const char* fileSystemName(FileSystemKind kind);

}  // namespace tarvosk
