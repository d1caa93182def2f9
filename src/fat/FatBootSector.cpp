#include "fat/FatBootSector.h"

namespace tarvosk {

namespace {
constexpr std::uint8_t kSignatureLow = 0x55;
constexpr std::uint8_t kSignatureHigh = 0xAA;
constexpr std::uint32_t kDirectoryEntrySize = 32;
constexpr std::uint32_t kSmallestSector = 512;
constexpr std::uint32_t kLargestSector = 4096;
constexpr std::uint8_t kShortJump = 0xEB;
constexpr std::uint8_t kNearJump = 0xE9;
constexpr char kNtfsOemName[] = "NTFS    ";

bool isPowerOfTwo(std::uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }
}  // namespace

BootSectorProblem parseFatBootSector(ByteSpan b, FatBootSector& out) {
  using namespace fatboot;
  out = FatBootSector{};
  if (b.size() < kMinimumSize || le8(b, kSignature) != kSignatureLow || le8(b, kSignature + 1) != kSignatureHigh)
    return BootSectorProblem::Signature;
  for (std::size_t i = 0; i < kOemNameLength; ++i) out.oemName.push_back(static_cast<char>(le8(b, kOemName + i)));
  const std::uint8_t jump = le8(b, kJump);
  if ((jump != kShortJump && jump != kNearJump) || out.oemName == kNtfsOemName) return BootSectorProblem::NotFat;
  out.bytesPerSector = le16(b, kBytesPerSector);
  out.sectorsPerCluster = le8(b, kSectorsPerCluster);
  out.reservedSectors = le16(b, kReservedSectors);
  out.numberOfFats = le8(b, kNumberOfFats);
  out.rootEntryCount = le16(b, kRootEntryCount);
  out.sectorsPerFat16 = le16(b, kSectorsPerFat16);
  out.sectorsPerFat = out.sectorsPerFat16 ? out.sectorsPerFat16 : le32(b, kSectorsPerFat32);
  out.totalSectors = le16(b, kTotalSectors16);
  if (out.totalSectors == 0) out.totalSectors = le32(b, kTotalSectors32);
  out.rootCluster = le32(b, kRootCluster32);
  out.clusterSize = out.bytesPerSector * out.sectorsPerCluster;
  const bool sectorSizeOk =
      out.bytesPerSector >= kSmallestSector && out.bytesPerSector <= kLargestSector && isPowerOfTwo(out.bytesPerSector);
  if (!sectorSizeOk || !isPowerOfTwo(out.sectorsPerCluster)) return BootSectorProblem::BadGeometry;

  out.rootDirSectors = (out.rootEntryCount * kDirectoryEntrySize + out.bytesPerSector - 1) / out.bytesPerSector;
  const std::uint64_t fatSectors = static_cast<std::uint64_t>(out.numberOfFats) * out.sectorsPerFat;
  out.firstDataSector = out.reservedSectors + fatSectors + out.rootDirSectors;
  // The subtraction that gives the data area must not wrap.
  if (out.firstDataSector > out.totalSectors) return BootSectorProblem::Overlap;
  out.clusterCount = (out.totalSectors - out.firstDataSector) / out.sectorsPerCluster;
  // An NTFS boot sector, among others, reads as a FAT12 volume of 0 clusters with no FAT.
  if (out.reservedSectors == 0 || out.numberOfFats == 0 || out.sectorsPerFat == 0 || out.clusterCount == 0)
    return BootSectorProblem::Empty;
  out.type = fatTypeForClusterCount(out.clusterCount);
  if (out.type == FatType::Fat32) {
    // The fixed root area belongs to FAT12/16 only.
    out.firstDataSector -= out.rootDirSectors;
    out.rootDirSectors = 0;
  }
  return BootSectorProblem::None;
}

const char16_t* fatTypeName(FatType type) {
  switch (type) {
    case FatType::Fat12: return u"FAT12";
    case FatType::Fat16: return u"FAT16";
    case FatType::Fat32: return u"FAT32";
  }
  return u"";
}

}  // namespace tarvosk
