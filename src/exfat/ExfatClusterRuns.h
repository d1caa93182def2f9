// The clusters of an exFAT file or folder: one extent for data written in one piece (no FAT
// chain), the FAT chain otherwise, and, for a deleted file whose chain is gone, the best guess.
#pragma once

#include <cstdint>
#include <vector>

#include "exfat/ExfatVolume.h"

namespace tarvosk::exfat {

// The largest directory exFAT allows: 2^23 entries of 32 bytes.
constexpr std::uint64_t kMaxDirectoryBytes = 256ull << 20;

// Appends a cluster, joining it to the last run when it follows it.
void appendCluster(std::vector<ExfatRun>& runs, std::uint64_t cluster);
std::uint64_t clustersIn(const std::vector<ExfatRun>& runs);

// Follows the FAT chain from first for at most maxClusters clusters. Stops at the end of the
// chain, at an entry that names no cluster of the heap, and where the chain comes back to a
// cluster it passed (logged). 0, or 1 when a FAT read fails (runs keep what was found).
DWORD chainRuns(ExfatVolumeEntry& volume, std::uint64_t first, std::uint64_t maxClusters, std::vector<ExfatRun>& runs);

// The clusters holding dataLength bytes of a file from firstCluster:
// - no FAT chain: the clusters after the first, as far as the heap goes;
// - a live file: its FAT chain;
// - a deleted file: its chain while the chain names clusters that are free (a volume that keeps
//   the chain of a deleted file), then the free clusters that follow the last one taken, passing
//   over those in use (a volume that clears the chain, so a file written into the gaps between
//   other files comes back whole while its clusters are unused), though never over more of them
//   than the file has clusters; the rest are the clusters that follow, as the FAT rule guesses.
// Empty for no data or a first cluster outside the heap. 0, or 1 when a read fails.
DWORD fileRuns(ExfatVolumeEntry& volume, std::uint64_t firstCluster, std::uint64_t dataLength, bool noFatChain,
               bool deleted, std::vector<ExfatRun>& runs);

}  // namespace tarvosk::exfat
