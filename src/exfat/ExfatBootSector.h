// The exFAT boot region: the main boot sector's fields, the geometry they describe, and the
// checksum sector that vouches for the region's first eleven sectors.
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk {

// Main boot sector fields (byte offsets from the start of the region's sector 0).
namespace exfatboot {
constexpr std::size_t kFileSystemName = 3;           // 8 bytes: "EXFAT   "
constexpr std::size_t kFileSystemNameLength = 8;
constexpr std::size_t kMustBeZero = 11;              // 53 bytes, where a FAT boot sector keeps its BPB
constexpr std::size_t kMustBeZeroLength = 53;
constexpr std::size_t kVolumeLength = 72;            // 64-bit, sectors
constexpr std::size_t kFatOffset = 80;               // 32-bit, sectors from the volume's start
constexpr std::size_t kFatLength = 84;               // 32-bit, sectors of one FAT
constexpr std::size_t kClusterHeapOffset = 88;       // 32-bit, sectors
constexpr std::size_t kClusterCount = 92;            // 32-bit
constexpr std::size_t kFirstClusterOfRoot = 96;      // 32-bit
constexpr std::size_t kVolumeSerialNumber = 100;     // 32-bit
constexpr std::size_t kVolumeFlags = 106;            // 16-bit: bit 0 the active FAT; left out of the checksum
constexpr std::size_t kBytesPerSectorShift = 108;    // 8-bit, 9 to 12
constexpr std::size_t kSectorsPerClusterShift = 109; // 8-bit, at most 25 minus the sector shift
constexpr std::size_t kNumberOfFats = 110;           // 8-bit, 1 or 2
constexpr std::size_t kPercentInUse = 112;           // 8-bit, left out of the checksum
constexpr std::size_t kSignature = 510;              // 0x55, 0xAA
constexpr std::size_t kMinimumSize = 512;

constexpr std::uint32_t kRegionSectors = 12;         // boot sector, 8 extended, OEM, reserved, checksum
constexpr std::uint32_t kChecksummedSectors = 11;
constexpr std::uint32_t kChecksumSector = 11;
constexpr std::uint32_t kSmallestSectorShift = 9;
constexpr std::uint32_t kLargestSectorShift = 12;
constexpr std::uint32_t kLargestClusterShift = 25;   // 32 MiB clusters
}  // namespace exfatboot

constexpr std::uint64_t kExfatFirstCluster = 2;
// The highest cluster count the FAT's 32-bit entries leave room for (0xFFFFFFF6 and up are marks).
constexpr std::uint64_t kExfatMaxClusterCount = 0xFFFFFFF5;

// Why a boot sector or region cannot be used.
enum class ExfatBootProblem {
  None,
  NotExfat,     // no 0x55 0xAA signature, or not named "EXFAT   "
  BadGeometry,  // a sector or cluster shift out of range, no FAT or more than two, nonzero BPB bytes
  Overlap,      // FATs, cluster heap and root directory do not fit the volume one after the other
  Checksum,     // the checksum sector does not match the region's first eleven sectors
};

struct ExfatBootSector {
  std::uint64_t volumeLength = 0;  // sectors
  std::uint32_t fatOffset = 0;
  std::uint32_t fatLength = 0;
  std::uint32_t clusterHeapOffset = 0;
  std::uint32_t clusterCount = 0;
  std::uint32_t rootCluster = 0;
  std::uint32_t serialNumber = 0;
  std::uint16_t volumeFlags = 0;
  std::uint32_t numberOfFats = 0;
  std::uint32_t bytesPerSector = 0;
  std::uint32_t sectorsPerCluster = 0;
  std::uint32_t clusterSize = 0;

  // The first sector of the FAT in use (the second one when the active-FAT flag says so).
  std::uint64_t activeFatSector() const;
  // Byte offset of a cluster from the volume's start (no check that it lies in the heap).
  std::uint64_t clusterOffset(std::uint64_t cluster) const;
  bool isHeapCluster(std::uint64_t cluster) const {
    return cluster >= kExfatFirstCluster && cluster < kExfatFirstCluster + clusterCount;
  }
};

// Whether a sector names itself exFAT: the signature and "EXFAT   ".
bool namesExfat(ByteSpan sector);

// Decodes a main boot sector from its bytes (at least 512) and checks that its geometry holds.
ExfatBootProblem parseExfatBootSector(ByteSpan sector, ExfatBootSector& out);

// The boot checksum over a region's first eleven sectors (the volume flags and the percentage
// in use left out, since they change without the checksum being rewritten).
std::uint32_t exfatBootChecksum(ByteSpan elevenSectors);

// Checks a whole 12-sector region of sectors of bytesPerSector bytes: its boot sector, a sector
// size that agrees, and the checksum sector (every 32-bit word holding the checksum).
ExfatBootProblem checkExfatBootRegion(ByteSpan region, std::uint32_t bytesPerSector, ExfatBootSector& out);

}  // namespace tarvosk
