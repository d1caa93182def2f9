#include "platform/VolumeProbe.h"

#include <cstring>

namespace tarvosk {

namespace {

// BIOS parameter block fields.
constexpr std::size_t kJump = 0x00;
constexpr std::size_t kOemName = 0x03;
constexpr std::size_t kBytesPerSector = 0x0B;
constexpr std::size_t kSectorsPerCluster = 0x0D;
constexpr std::size_t kReservedSectors = 0x0E;
constexpr std::size_t kFatCount = 0x10;
constexpr std::size_t kRootEntries = 0x11;
constexpr std::size_t kTotalSectors16 = 0x13;
constexpr std::size_t kSectorsPerFat16 = 0x16;
constexpr std::size_t kTotalSectors32 = 0x20;
constexpr std::size_t kSectorsPerFat32 = 0x24;

// The last sector an old BIOS reaches through cylinder, head and sector (1024 x 255 x 63).
constexpr std::uint64_t kChsLimit = 1024ull * 255 * 63;

bool isPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

FileSystemKind probeFileSystem(ByteSpan b) {
  if (b.size() < 512) return FileSystemKind::None;
  if (std::memcmp(b.data() + kOemName, "NTFS    ", 8) == 0) return FileSystemKind::Ntfs;
  // The exFAT reader checks the rest of the boot region when it opens the volume.
  if (std::memcmp(b.data() + kOemName, "EXFAT   ", 8) == 0) return FileSystemKind::Exfat;

  std::uint8_t jump = le8(b, kJump);
  if (jump != 0xEB && jump != 0xE9) return FileSystemKind::None;
  std::uint32_t bytesPerSector = le16(b, kBytesPerSector);
  std::uint32_t sectorsPerCluster = le8(b, kSectorsPerCluster);
  std::uint32_t reserved = le16(b, kReservedSectors);
  std::uint32_t fats = le8(b, kFatCount);
  std::uint32_t rootEntries = le16(b, kRootEntries);
  std::uint32_t total = le16(b, kTotalSectors16);
  if (total == 0) total = le32(b, kTotalSectors32);
  std::uint32_t fatSize = le16(b, kSectorsPerFat16);
  if (fatSize == 0) fatSize = le32(b, kSectorsPerFat32);
  if (bytesPerSector < 512 || bytesPerSector > 4096 || !isPowerOfTwo(bytesPerSector)) return FileSystemKind::None;
  if (!isPowerOfTwo(sectorsPerCluster) || reserved == 0 || fats == 0 || fatSize == 0 || total == 0)
    return FileSystemKind::None;

  std::uint64_t rootSectors = (static_cast<std::uint64_t>(rootEntries) * 32 + bytesPerSector - 1) / bytesPerSector;
  std::uint64_t metadata = reserved + static_cast<std::uint64_t>(fats) * fatSize + rootSectors;
  if (metadata >= total) return FileSystemKind::None;
  std::uint64_t clusters = (total - metadata) / sectorsPerCluster;
  if (clusters < 4085) return FileSystemKind::Fat12;
  if (clusters < 65525) return FileSystemKind::Fat16;
  return FileSystemKind::Fat32;
}

std::uint8_t partitionTypeFor(FileSystemKind kind, std::uint64_t firstSector, std::uint64_t sectorCount) {
  bool insideChs = firstSector + sectorCount <= kChsLimit;
  switch (kind) {
    case FileSystemKind::Fat12: return 0x01;
    case FileSystemKind::Fat16:
      if (sectorCount < 65536) return 0x04;
      return insideChs ? 0x06 : 0x0E;
    case FileSystemKind::Fat32: return insideChs ? 0x0B : 0x0C;
    case FileSystemKind::Ntfs:
    case FileSystemKind::Exfat: return 0x07;
    case FileSystemKind::None: break;
  }
  return 0x00;
}

bool isFatOrNtfsPartitionType(std::uint8_t type) {
  switch (type) {
    case 0x01: case 0x04: case 0x06: case 0x07: case 0x0B: case 0x0C: case 0x0E: return true;
    default: return false;
  }
}

const char* fileSystemName(FileSystemKind kind) {
  switch (kind) {
    case FileSystemKind::Fat12: return "FAT12";
    case FileSystemKind::Fat16: return "FAT16";
    case FileSystemKind::Fat32: return "FAT32";
    case FileSystemKind::Ntfs: return "NTFS";
    case FileSystemKind::Exfat: return "exFAT";
    case FileSystemKind::None: break;
  }
  return "";
}

}  // namespace tarvosk
