#include "exfat/ExfatClusterRuns.h"

#include <algorithm>
#include <iterator>
#include <map>

#include "log/Log.h"

namespace tarvosk::exfat {

namespace {

// The clusters a walk has passed, as intervals: a chain that comes back to one of them loops.
// Chains run mostly through consecutive clusters, so the intervals stay few.
class VisitedClusters {
 public:
  explicit VisitedClusters(std::uint64_t first) { intervals_[first] = first + 1; }
  // Adds a cluster; false when it was passed before.
  bool add(std::uint64_t cluster) {
    auto next = intervals_.upper_bound(cluster);
    if (next != intervals_.begin()) {
      auto previous = std::prev(next);
      if (cluster < previous->second) return false;
      if (cluster == previous->second) {
        previous->second = cluster + 1;
        if (next != intervals_.end() && next->first == cluster + 1) {
          previous->second = next->second;
          intervals_.erase(next);
        }
        return true;
      }
    }
    if (next != intervals_.end() && next->first == cluster + 1) {
      const std::uint64_t end = next->second;
      intervals_.erase(next);
      intervals_[cluster] = end;
      return true;
    }
    intervals_[cluster] = cluster + 1;
    return true;
  }

 private:
  std::map<std::uint64_t, std::uint64_t> intervals_;  // first -> one past the last
};

std::uint64_t clustersFor(const ExfatVolumeEntry& volume, std::uint64_t bytes) {
  return bytes / volume.boot.clusterSize + (bytes % volume.boot.clusterSize != 0 ? 1 : 0);
}

std::uint64_t heapEnd(const ExfatVolumeEntry& volume) { return kExfatFirstCluster + volume.boot.clusterCount; }

// A deleted file whose chain is cleared or broken: the free clusters after the last one taken,
// passing over clusters in use, but never over more of them than the file has clusters (a file
// does not come back from the far end of the volume); then, as the FAT rule guesses, the
// clusters that follow, whoever holds them now. None is taken twice.
void guessClusters(ExfatVolumeEntry& volume, std::uint64_t wanted, std::vector<ExfatRun>& runs,
                   VisitedClusters& visited) {
  std::uint64_t taken = clustersIn(runs);
  std::uint64_t next = runs.back().first + runs.back().count;
  std::uint64_t found = 0;
  while (taken < wanted && nextFreeCluster(volume, next, next + wanted + 1, found)) {
    next = found + 1;
    if (!visited.add(found)) continue;
    appendCluster(runs, found);
    ++taken;
  }
  for (; taken < wanted && next < heapEnd(volume); ++next) {
    if (!visited.add(next)) continue;
    appendCluster(runs, next);
    ++taken;
  }
}

}  // namespace

void appendCluster(std::vector<ExfatRun>& runs, std::uint64_t cluster) {
  if (!runs.empty() && runs.back().first + runs.back().count == cluster) {
    ++runs.back().count;
    return;
  }
  runs.push_back({cluster, 1});
}

std::uint64_t clustersIn(const std::vector<ExfatRun>& runs) {
  std::uint64_t n = 0;
  for (const ExfatRun& run : runs) n += run.count;
  return n;
}

DWORD chainRuns(ExfatVolumeEntry& volume, std::uint64_t first, std::uint64_t maxClusters, std::vector<ExfatRun>& runs) {
  VisitedClusters visited(first);
  std::uint64_t cluster = first;
  for (std::uint64_t taken = 0; taken < maxClusters && volume.boot.isHeapCluster(cluster); ++taken) {
    appendCluster(runs, cluster);
    std::uint64_t next = 0;
    if (DWORD code = fatEntry(volume, cluster, next); code != LAYER_SUCCESS) return code;
    if (next == EXFAT_END_OF_CHAIN) break;
    if (!visited.add(next)) {
      LOG_Write(g_logEXFAT, ERROR, u"chainRuns(handle=%d): the chain from cluster %I64d loops back to cluster %I64d",
                volume.handle, first, next);
      break;
    }
    cluster = next;
  }
  return LAYER_SUCCESS;
}

DWORD fileRuns(ExfatVolumeEntry& volume, std::uint64_t firstCluster, std::uint64_t dataLength, bool noFatChain,
               bool deleted, std::vector<ExfatRun>& runs) {
  runs.clear();
  // No file holds more clusters than the heap, whatever its length says.
  const std::uint64_t wanted = std::min<std::uint64_t>(clustersFor(volume, dataLength), volume.boot.clusterCount);
  if (wanted == 0) return LAYER_SUCCESS;
  if (!volume.boot.isHeapCluster(firstCluster)) {
    LOG_Write(g_logEXFAT, ERROR, u"fileRuns(handle=%d): first cluster %I64d lies outside the cluster heap", volume.handle,
              firstCluster);
    return LAYER_SUCCESS;
  }
  if (noFatChain) {
    const std::uint64_t inHeap = std::min(wanted, heapEnd(volume) - firstCluster);
    if (inHeap < wanted)
      LOG_Write(g_logEXFAT, ERROR, u"fileRuns(handle=%d): the extent from cluster %I64d runs past the cluster heap",
                volume.handle, firstCluster);
    runs.push_back({firstCluster, inHeap});
    return LAYER_SUCCESS;
  }
  if (!deleted) return chainRuns(volume, firstCluster, wanted, runs);

  // The first cluster is the file's whatever has become of it; the chain is followed only
  // through clusters nobody has taken since.
  appendCluster(runs, firstCluster);
  VisitedClusters visited(firstCluster);
  std::uint64_t cluster = firstCluster;
  for (std::uint64_t taken = 1; taken < wanted; ++taken) {
    std::uint64_t next = 0;
    bool free = false;
    if (DWORD code = fatEntry(volume, cluster, next); code != LAYER_SUCCESS) return code;
    if (!volume.boot.isHeapCluster(next) || clusterFree(volume, next, free) != LAYER_SUCCESS || !free ||
        !visited.add(next))
      break;
    appendCluster(runs, next);
    cluster = next;
  }
  guessClusters(volume, wanted, runs, visited);
  return LAYER_SUCCESS;
}

}  // namespace tarvosk::exfat
