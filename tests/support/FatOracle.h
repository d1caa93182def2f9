// What sleuthkit (fls, istat, fsstat) and fsck.fat said about a fixture image when the fixture
// script made it: the golden files next to the image.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "support/SleuthkitOutput.h"

namespace tarvosk::test {

// An entry fls listed ("Many/file number 001.dat"), with its sectors from istat in order.
struct OracleEntry : FlsEntry {
  std::vector<std::uint64_t> sectors;
};

struct FatOracle {
  std::vector<OracleEntry> entries;  // every file and folder fls listed (no virtual entries, no label)
  std::uint64_t firstClusterSector = 0;  // fsstat's cluster area start (cluster 2)
  std::uint64_t rootDirectorySector = 0; // fsstat's root directory start
  std::uint32_t sectorSize = 0;
  std::uint32_t clusterSize = 0;
  std::string fileSystemType;            // "FAT12", "FAT16", "FAT32"
  std::uint64_t usedClusters = 0;        // fsck.fat -v: used/total
  std::uint64_t totalClusters = 0;

  // The clusters of an entry's sectors, in order (each cluster once).
  std::vector<std::uint64_t> clustersOf(const OracleEntry& e) const;
};

// Reads IMAGE.fls, IMAGE.istat, IMAGE.fsstat and IMAGE.fsck of a fixture image path.
FatOracle readFatOracle(const std::string& imagePath);

}  // namespace tarvosk::test
