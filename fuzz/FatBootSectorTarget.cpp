// The FAT boot sector parser over arbitrary bytes: a sector it accepts must describe a layout
// that fits in the volume and a FAT type that matches its cluster count.
#include "FuzzTarget.h"
#include "fat/FatBootSector.h"

using namespace tarvosk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FatBootSector boot;
  if (parseFatBootSector(ByteSpan(data, size), boot) != BootSectorProblem::None) return 0;
  fuzz::require(boot.sectorsPerCluster != 0 && boot.bytesPerSector >= 512, "an accepted geometry divides");
  fuzz::require(boot.clusterSize == boot.bytesPerSector * boot.sectorsPerCluster, "cluster size is sector x count");
  fuzz::require(boot.firstDataSector <= boot.totalSectors, "the data area starts inside the volume");
  fuzz::require(boot.type == fatTypeForClusterCount(boot.clusterCount), "the FAT type follows the cluster count");
  fuzz::require(boot.type != FatType::Fat32 || boot.rootDirSectors == 0, "FAT32 has no fixed root area");
  return 0;
}
