#include "platform/VolumeProbe.h"

#include <cstring>

#include "fat/FatBootSector.h"

namespace tarvosk {

namespace {

// The last sector an old BIOS reaches through cylinder, head and sector (1024 x 255 x 63).
constexpr std::uint64_t kChsLimit = 1024ull * 255 * 63;

}  // namespace

// The FAT verdict is the FAT layer's own boot-sector parse, the one FAT_OpenDevice takes: a
// volume the drive list shows as FAT is one the scan can open, and the other way round.
FileSystemKind probeFileSystem(ByteSpan b) {
  if (b.size() < 512) return FileSystemKind::None;
  if (std::memcmp(b.data() + fatboot::kOemName, "NTFS    ", 8) == 0) return FileSystemKind::Ntfs;
  // The exFAT reader checks the rest of the boot region when it opens the volume.
  if (std::memcmp(b.data() + fatboot::kOemName, "EXFAT   ", 8) == 0) return FileSystemKind::Exfat;
  FatBootSector boot;
  if (parseFatBootSector(b, boot) != BootSectorProblem::None) return FileSystemKind::None;
  switch (boot.type) {
    case FatType::Fat12: return FileSystemKind::Fat12;
    case FatType::Fat16: return FileSystemKind::Fat16;
    case FatType::Fat32: return FileSystemKind::Fat32;
  }
  return FileSystemKind::None;
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
