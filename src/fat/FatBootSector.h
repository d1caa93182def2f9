// The FAT boot sector: its fields, and the volume layout that follows from them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ByteOrder.h"

namespace tarvosk {

// Boot sector fields (byte offsets from the start of sector 0 of the volume).
namespace fatboot {
constexpr std::size_t kJump = 0;                // 0xEB or 0xE9: the jump over the parameter block
constexpr std::size_t kOemName = 3;             // 8 bytes, logged only
constexpr std::size_t kOemNameLength = 8;
constexpr std::size_t kBytesPerSector = 11;     // 16-bit
constexpr std::size_t kSectorsPerCluster = 13;  // 8-bit
constexpr std::size_t kReservedSectors = 14;    // 16-bit: first sector of the first FAT
constexpr std::size_t kNumberOfFats = 16;       // 8-bit
constexpr std::size_t kRootEntryCount = 17;     // 16-bit: FAT12/16 root directory entries
constexpr std::size_t kTotalSectors16 = 19;     // 16-bit; 0 means: use the 32-bit form
constexpr std::size_t kSectorsPerFat16 = 22;    // 16-bit; 0 means: use the FAT32 form
constexpr std::size_t kTotalSectors32 = 32;     // 32-bit
constexpr std::size_t kSectorsPerFat32 = 36;    // 32-bit
constexpr std::size_t kRootCluster32 = 44;      // 32-bit: FAT32 root directory first cluster
constexpr std::size_t kVolumeSerial16 = 39;     // 32-bit: FAT12/16 volume serial number
constexpr std::size_t kVolumeLabel16 = 43;      // 11 bytes: FAT12/16 boot sector label
constexpr std::size_t kVolumeSerial32 = 67;     // 32-bit: FAT32 volume serial number
constexpr std::size_t kVolumeLabel32 = 71;      // 11 bytes: FAT32 boot sector label
constexpr std::size_t kSignature = 510;         // 0x55, 0xAA
constexpr std::size_t kMinimumSize = 512;
}  // namespace fatboot

enum class FatType : std::uint32_t { Fat12 = 0, Fat16 = 1, Fat32 = 2 };

constexpr std::uint64_t kFat12Limit = 4085;   // fewer clusters: FAT12
constexpr std::uint64_t kFat16Limit = 65525;  // fewer clusters: FAT16, else FAT32

// Why a boot sector cannot be used. The drive list's volume probe and FAT_OpenDevice both take
// this one verdict, so they never disagree about a volume.
enum class BootSectorProblem {
  None,
  Signature,     // bytes 510-511 are not 0x55 0xAA
  NotFat,        // no jump instruction at the start, or the OEM name says NTFS
  BadGeometry,   // sectors per cluster 0 or not a power of two, or bytes per sector not a power
                 // of two from 512 to 4096 (divisions by 0, clusters too small for a directory entry)
  Overlap,       // reserved sectors, FATs and root directory do not fit in the volume
  Empty,         // no reserved sector, no FAT, a FAT of 0 sectors, or no cluster in the data area
};

// The boot sector fields and the layout computed from them.
struct FatBootSector {
  std::string oemName;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t reservedSectors = 0;
  std::uint32_t numberOfFats = 0;
  std::uint32_t rootEntryCount = 0;
  std::uint32_t sectorsPerFat16 = 0;
  std::uint32_t sectorsPerFat = 0;  // offset 22, or 36 when that is 0
  std::uint64_t totalSectors = 0;   // offset 19, or 32 when that is 0
  std::uint32_t rootCluster = 0;    // offset 44 (FAT32)
  std::uint32_t clusterSize = 0;    // bytes per sector x sectors per cluster
  std::uint32_t rootDirSectors = 0; // 0 on FAT32
  std::uint64_t firstDataSector = 0;
  std::uint64_t clusterCount = 0;
  FatType type = FatType::Fat12;
};

// Decodes a boot sector from its bytes (at least 512). The layout is computed only when the
// geometry allows it; the result tells what rejected the sector (the fields read so far are set).
BootSectorProblem parseFatBootSector(ByteSpan bytes, FatBootSector& out);

// The FAT type a cluster count stands for.
constexpr FatType fatTypeForClusterCount(std::uint64_t clusters) {
  return clusters < kFat12Limit ? FatType::Fat12 : clusters < kFat16Limit ? FatType::Fat16 : FatType::Fat32;
}

const char16_t* fatTypeName(FatType type);

}  // namespace tarvosk
