#include "exfat/ExfatBootSector.h"

#include <cstring>

#include "exfat/ExfatChecksum.h"

namespace tarvosk {

namespace {
constexpr std::uint8_t kSignatureLow = 0x55;
constexpr std::uint8_t kSignatureHigh = 0xAA;
constexpr char kName[] = "EXFAT   ";
// The two boot regions come before the FAT.
constexpr std::uint32_t kFirstFatSector = 2 * exfatboot::kRegionSectors;
constexpr std::uint64_t kFatEntryBytes = 4;
}  // namespace

std::uint64_t ExfatBootSector::activeFatSector() const {
  const bool second = numberOfFats == 2 && (volumeFlags & 1);
  return fatOffset + (second ? std::uint64_t{fatLength} : 0);
}

std::uint64_t ExfatBootSector::clusterOffset(std::uint64_t cluster) const {
  return std::uint64_t{clusterHeapOffset} * bytesPerSector + (cluster - kExfatFirstCluster) * clusterSize;
}

bool namesExfat(ByteSpan b) {
  using namespace exfatboot;
  return b.size() >= kMinimumSize && le8(b, kSignature) == kSignatureLow && le8(b, kSignature + 1) == kSignatureHigh &&
         std::memcmp(b.data() + kFileSystemName, kName, kFileSystemNameLength) == 0;
}

ExfatBootProblem parseExfatBootSector(ByteSpan b, ExfatBootSector& out) {
  using namespace exfatboot;
  out = ExfatBootSector{};
  if (!namesExfat(b)) return ExfatBootProblem::NotExfat;
  out.volumeLength = le64(b, kVolumeLength);
  out.fatOffset = le32(b, kFatOffset);
  out.fatLength = le32(b, kFatLength);
  out.clusterHeapOffset = le32(b, kClusterHeapOffset);
  out.clusterCount = le32(b, kClusterCount);
  out.rootCluster = le32(b, kFirstClusterOfRoot);
  out.serialNumber = le32(b, kVolumeSerialNumber);
  out.volumeFlags = le16(b, kVolumeFlags);
  out.numberOfFats = le8(b, kNumberOfFats);
  const std::uint32_t sectorShift = le8(b, kBytesPerSectorShift);
  const std::uint32_t clusterShift = le8(b, kSectorsPerClusterShift);
  for (std::size_t i = 0; i < kMustBeZeroLength; ++i)
    if (le8(b, kMustBeZero + i) != 0) return ExfatBootProblem::BadGeometry;
  if (sectorShift < kSmallestSectorShift || sectorShift > kLargestSectorShift ||
      clusterShift > kLargestClusterShift - sectorShift || out.numberOfFats < 1 || out.numberOfFats > 2)
    return ExfatBootProblem::BadGeometry;
  out.bytesPerSector = 1u << sectorShift;
  out.sectorsPerCluster = 1u << clusterShift;
  out.clusterSize = out.bytesPerSector << clusterShift;

  // Boot regions, FATs and the heap one after the other, each inside the volume; every sum in
  // 64 bits from 32-bit fields, so nothing wraps.
  const std::uint64_t fatEnd = std::uint64_t{out.fatOffset} + std::uint64_t{out.fatLength} * out.numberOfFats;
  const std::uint64_t heapSectors = std::uint64_t{out.clusterCount} << clusterShift;
  const std::uint64_t fatEntries = std::uint64_t{out.fatLength} * out.bytesPerSector / kFatEntryBytes;
  if (out.clusterCount == 0 || out.clusterCount > kExfatMaxClusterCount || out.fatOffset < kFirstFatSector ||
      fatEntries < out.clusterCount + kExfatFirstCluster || out.clusterHeapOffset < fatEnd ||
      out.clusterHeapOffset + heapSectors > out.volumeLength || !out.isHeapCluster(out.rootCluster))
    return ExfatBootProblem::Overlap;
  return ExfatBootProblem::None;
}

std::uint32_t exfatBootChecksum(ByteSpan sectors) {
  std::uint32_t checksum = 0;
  for (std::size_t i = 0; i < sectors.size(); ++i) {
    if (i == exfatboot::kVolumeFlags || i == exfatboot::kVolumeFlags + 1 || i == exfatboot::kPercentInUse) continue;
    checksum = exfatChecksumStep32(checksum, sectors[i]);
  }
  return checksum;
}

ExfatBootProblem checkExfatBootRegion(ByteSpan region, std::uint32_t bytesPerSector, ExfatBootSector& out) {
  using namespace exfatboot;
  if (bytesPerSector == 0 || region.size() < std::size_t{kRegionSectors} * bytesPerSector) {
    out = ExfatBootSector{};
    return ExfatBootProblem::NotExfat;
  }
  if (ExfatBootProblem problem = parseExfatBootSector(region.first(bytesPerSector), out); problem != ExfatBootProblem::None)
    return problem;
  if (out.bytesPerSector != bytesPerSector) return ExfatBootProblem::BadGeometry;
  const std::uint32_t checksum = exfatBootChecksum(region.first(std::size_t{kChecksummedSectors} * bytesPerSector));
  const ByteSpan checksumSector = region.subspan(std::size_t{kChecksumSector} * bytesPerSector, bytesPerSector);
  for (std::size_t at = 0; at < checksumSector.size(); at += 4)
    if (le32(checksumSector, at) != checksum) return ExfatBootProblem::Checksum;
  return ExfatBootProblem::None;
}

}  // namespace tarvosk
