#include "support/FatOracle.h"

#include <stdexcept>

namespace tarvosk::test {

namespace {

// The number after "key" on a line that holds it ("Cluster Area: 164 - 65535" gives 164).
bool numberAfter(const std::string& line, const std::string& key, std::uint64_t& value) {
  auto at = line.find(key);
  if (at == std::string::npos) return false;
  value = std::stoull(line.substr(at + key.size()));
  return true;
}

}  // namespace

std::vector<std::uint64_t> FatOracle::clustersOf(const OracleEntry& e) const {
  std::vector<std::uint64_t> clusters;
  const std::uint64_t perCluster = clusterSize / sectorSize;
  for (std::uint64_t s : e.sectors) {
    if (s < firstClusterSector) continue;
    std::uint64_t c = (s - firstClusterSector) / perCluster + 2;
    if (clusters.empty() || clusters.back() != c) clusters.push_back(c);
  }
  return clusters;
}

FatOracle readFatOracle(const std::string& image) {
  FatOracle o;
  std::map<std::uint64_t, IstatBlocks> blocks = readIstat(image);
  for (const FlsEntry& listed : readFls(image)) {
    OracleEntry e;
    static_cast<FlsEntry&>(e) = listed;
    e.sectors = blocks[listed.inode].blocks;
    o.entries.push_back(e);
  }
  for (const std::string& line : oracleLines(image + ".fsstat")) {
    std::uint64_t v = 0;
    if (numberAfter(line, "Cluster Area: ", v)) o.firstClusterSector = v;
    if (line.rfind("*", 0) == 0 && numberAfter(line, "Root Directory: ", v)) o.rootDirectorySector = v;
    if (numberAfter(line, "Sector Size: ", v)) o.sectorSize = static_cast<std::uint32_t>(v);
    if (numberAfter(line, "Cluster Size: ", v)) o.clusterSize = static_cast<std::uint32_t>(v);
    if (line.rfind("File System Type: ", 0) == 0) o.fileSystemType = line.substr(18, 5);
  }
  for (const std::string& line : oracleLines(image + ".fsck")) {
    auto at = line.find(" clusters");
    auto slash = line.rfind('/', at);
    auto comma = line.rfind(", ", slash);
    if (at == std::string::npos || slash == std::string::npos || comma == std::string::npos) continue;
    o.usedClusters = std::stoull(line.substr(comma + 2, slash - comma - 2));
    o.totalClusters = std::stoull(line.substr(slash + 1, at - slash - 1));
  }
  if (o.sectorSize == 0 || o.clusterSize == 0 || o.firstClusterSector == 0 || o.totalClusters == 0)
    throw std::runtime_error("incomplete oracle files for " + image);
  return o;
}

}  // namespace tarvosk::test
