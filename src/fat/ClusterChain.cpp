#include "fat/ClusterChain.h"

#include <algorithm>
#include <vector>

#include "fat/FatVolume.h"
#include "log/Log.h"

using namespace std::string_view_literals;

namespace {

// The set of clusters a chain walk has reached: open addressing over a table that lives for the
// process and is emptied by clearing only the slots a walk filled, so that a short chain costs
// a few operations and a 100,000-cluster chain stays in the millisecond range.
class ReachedClusters {
 public:
  ReachedClusters() : slots_(kCapacity, kEmpty) { used_.reserve(MAX_CLUSTER_CHAIN_SIZE + 2); }
  ~ReachedClusters() = default;
  ReachedClusters(const ReachedClusters&) = delete;
  ReachedClusters& operator=(const ReachedClusters&) = delete;

  // Adds a cluster; false if it was there already.
  bool insert(std::uint64_t cluster) {
    std::size_t i = hash(cluster);
    while (slots_[i] != kEmpty) {
      if (slots_[i] == cluster) return false;
      i = (i + 1) & (kCapacity - 1);
    }
    slots_[i] = cluster;
    used_.push_back(i);
    return true;
  }
  bool contains(std::uint64_t cluster) const {
    std::size_t i = hash(cluster);
    while (slots_[i] != kEmpty) {
      if (slots_[i] == cluster) return true;
      i = (i + 1) & (kCapacity - 1);
    }
    return false;
  }
  void clear() {
    for (std::size_t i : used_) slots_[i] = kEmpty;
    used_.clear();
  }

 private:
  // At most MAX_CLUSTER_CHAIN_SIZE + 1 clusters are ever inserted: the table stays under 40% full.
  static constexpr std::size_t kCapacity = 1u << 18;
  static constexpr std::uint64_t kEmpty = ~0ull;  // no FAT value is 2^64 - 1
  // Eight consecutive clusters share one cache line (chains mostly run through consecutive
  // clusters); the blocks of eight are spread by a multiplicative hash, so no cluster pattern
  // makes the probes long.
  static std::size_t hash(std::uint64_t v) {
    const std::uint64_t block = ((v >> 3) * 0x9E3779B97F4A7C15ull) >> 49;  // 15 bits: 2^15 blocks
    return static_cast<std::size_t>((block << 3) | (v & 7)) & (kCapacity - 1);
  }
  std::vector<std::uint64_t> slots_;
  std::vector<std::size_t> used_;
};

ReachedClusters& reachedClusters() {
  static ReachedClusters set;
  return set;
}

// The working chain of __PopulateClusterChain: MAX_CLUSTER_CHAIN_SIZE elements, allocated once.
// Only the elements a call fills are written and read, so it needs no clearing per call.
std::vector<std::uint64_t>& workingChain() {
  static std::vector<std::uint64_t> chain(MAX_CLUSTER_CHAIN_SIZE, 0);
  return chain;
}

}  // namespace

DWORD FAT_GetClusterChain(DWORD volumeHandle, std::uint64_t startCluster, std::uint64_t* clusterChain, DWORD count) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetClusterChain(handle=%d, start cluster=%I64d)"sv, volumeHandle, startCluster);
  FatVolumeEntry* volume = FAT_GetVolumeEntry(volumeHandle);
  if (!volume) return LAYER_BAD_HANDLE;
  std::uint64_t cur = startCluster;
  for (DWORD i = 0; i < count; ++i) {
    std::uint64_t next = 0;
    DWORD end = 0;
    DWORD code = __GetClusterEntryInFAT(*volume, cur, &next, &end);
    if (code != LAYER_SUCCESS) {
      LOG_Write(g_logFAT, ERROR, u"FAT_GetClusterChain(handle=%d): __GetClusterEntryInFAT() failed"sv, volumeHandle);
      return code;
    }
    clusterChain[i] = next;
    if (end) break;
    cur = next;
  }
  return LAYER_SUCCESS;
}

DWORD FAT_GetClusterChainSize(DWORD volumeHandle, std::uint64_t startCluster, DWORD* count) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetClusterChainSize(handle=%d, start cluster=%I64d)"sv, volumeHandle, startCluster);
  if (count) *count = 0;
  FatVolumeEntry* volume = FAT_GetVolumeEntry(volumeHandle);
  if (!volume) return LAYER_BAD_HANDLE;
  ReachedClusters& reached = reachedClusters();
  reached.clear();
  DWORD n = 0;
  std::uint64_t cur = startCluster;
  std::uint64_t next = 0;
  DWORD end = 0;
  DWORD code = __GetClusterEntryInFAT(*volume, cur, &next, &end);
  while (code == LAYER_SUCCESS) {
    if (end) break;
    ++n;
    if (n > MAX_CLUSTER_CHAIN_SIZE) break;
    cur = next;
    // The start cluster is not in the set: a loop back to it is seen one step later.
    if (!reached.insert(cur)) break;
    code = __GetClusterEntryInFAT(*volume, cur, &next, &end);
  }
  reached.clear();
  if (count) *count = n;
  if (code != LAYER_SUCCESS) {
    LOG_Write(g_logFAT, ERROR, u"FAT_GetClusterChainSize(handle=%d): __GetClusterEntryInFAT() failed"sv, volumeHandle);
    return code;
  }
  LOG_Write(g_logFAT, INFO, u"FAT_GetClusterChainSize(handle=%d): returning %d"sv, volumeHandle, n);
  return LAYER_SUCCESS;
}

DWORD __PopulateClusterChain(FatFileRecord& record) {
  LOG_Write(g_logFAT, INFO, u"__PopulateClusterChain()"sv);
  std::vector<std::uint64_t>& chain = workingChain();
  DWORD n = 0;
  if (!record.deleted) {
    FAT_GetClusterChainSize(record.volumeHandle, record.startCluster, &n);
    if (n > MAX_CLUSTER_CHAIN_SIZE) {
      LOG_Write(g_logFAT, ERROR, u"__PopulateClusterChain(): FAT_GetClusterChainSize() returned %d > MAX_CLUSTER_CHAIN_SIZE"sv,
                n);
      record.clusterList.clear();
      return LAYER_READ_FAILED;
    }
    std::fill_n(chain.begin(), n, 0);
    FAT_GetClusterChain(record.volumeHandle, record.startCluster, chain.data(), n);
  } else if (record.folder) {
    chain[0] = 0;
    if (FAT_GetClusterChain(record.volumeHandle, record.startCluster, chain.data(), 1) != LAYER_SUCCESS) {
      LOG_Write(g_logFAT, ERROR, u"__PopulateClusterChain(): FAT_GetClusterChain() failed"sv);
      record.clusterList.clear();
      return LAYER_READ_FAILED;
    }
    if (chain[0] != 0) {
      LOG_Write(g_logFAT, WARNING, u"__PopulateClusterChain(): ClusterChain[0] must be zero for deleted files"sv);
      record.clusterList.clear();
      return LAYER_READ_FAILED;
    }
  }
  record.clusterList.reserve(record.clusterList.size() + n + 1);
  record.clusterList.push_back(record.startCluster);
  record.clusterList.insert(record.clusterList.end(), chain.begin(), chain.begin() + n);
  return LAYER_SUCCESS;
}
