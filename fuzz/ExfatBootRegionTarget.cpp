// The exFAT boot region checks over arbitrary bytes, at every sector size: a region they accept
// must describe boot regions, FATs, a cluster heap and a root directory that follow one another
// inside its volume, so that no later arithmetic on them wraps.
#include "FuzzTarget.h"
#include "exfat/ExfatBootSector.h"

using namespace tarvosk;

namespace {

void requireSoundGeometry(const ExfatBootSector& boot) {
  fuzz::require(boot.clusterSize == boot.bytesPerSector * boot.sectorsPerCluster, "cluster size is sector x count");
  fuzz::require(boot.clusterSize <= (32u << 20), "clusters are at most 32 MiB");
  fuzz::require(boot.fatOffset >= 24, "the FAT follows both boot regions");
  fuzz::require(boot.activeFatSector() + boot.fatLength <= boot.clusterHeapOffset, "the FAT in use ends before the heap");
  fuzz::require(std::uint64_t{boot.fatLength} * boot.bytesPerSector / 4 >= boot.clusterCount + 2ull,
                "the FAT holds an entry for every cluster");
  fuzz::require(boot.clusterHeapOffset + (std::uint64_t{boot.clusterCount} << (__builtin_ctz(boot.sectorsPerCluster))) <=
                    boot.volumeLength,
                "the heap fits the volume");
  fuzz::require(boot.isHeapCluster(boot.rootCluster), "the root directory starts in the heap");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const ByteSpan input(data, size);
  ExfatBootSector boot;
  if (parseExfatBootSector(input, boot) == ExfatBootProblem::None) requireSoundGeometry(boot);
  for (std::uint32_t sector = 512; sector <= 4096; sector *= 2) {
    if (checkExfatBootRegion(input, sector, boot) != ExfatBootProblem::None) continue;
    fuzz::require(boot.bytesPerSector == sector, "a region's sectors have the size its boot sector gives");
    requireSoundGeometry(boot);
  }
  return 0;
}
