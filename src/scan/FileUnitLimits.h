// The limits every reader of a found file's units keeps (the rating, recovery, the content search
// and the viewer), and the walk over an NTFS run list that goes with them.
#pragma once

#include <cstdint>
#include <vector>

#include "fat/ClusterChain.h"
#include "ntfs/RunList.h"

namespace tarvosk {

// A FAT file of more clusters than this is not rated, recovered, searched or shown, as no chain
// the FAT layer follows is longer.
constexpr std::uint64_t kMaxFatFileClusters = MAX_CLUSTER_CHAIN_SIZE;
// A run of more clusters than this is not walked cluster by cluster.
constexpr std::uint64_t kMaxWalkedRunClusters = 1000000;

// The units that size bytes take, the last one partly filled.
constexpr std::uint64_t unitsOfSize(std::uint64_t size, std::uint64_t unitSize) {
  return size / unitSize + (size % unitSize != 0);
}

enum class PassedRun { Sparse, TooLong };

// Calls visit(cluster) for each cluster of the runs, in order, except for sparse runs and runs of
// more than kMaxWalkedRunClusters, for which it calls passed(run, why) once instead. Either
// returning false ends the walk; true when it went through every run.
template <class Visit, class Passed>
bool walkRunClusters(const std::vector<Run>& runs, Visit visit, Passed passed) {
  for (const Run& run : runs) {
    if (run.startCluster == kSparseRun || run.length > kMaxWalkedRunClusters) {
      if (!passed(run, run.startCluster == kSparseRun ? PassedRun::Sparse : PassedRun::TooLong)) return false;
      continue;
    }
    const auto first = static_cast<std::uint64_t>(run.startCluster);
    for (std::uint64_t c = 0; c < run.length; ++c)
      if (!visit(first + c)) return false;
  }
  return true;
}

}  // namespace tarvosk
