// Whether a cluster goes on with a deleted folder. Deleting a folder clears its FAT chain but
// leaves its clusters as they were, and a folder is usually written in one piece: the cluster
// after the last one walked may hold more of its entries. It is taken only when every slot up to
// the first end-of-folder slot is a plausible entry of that folder.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk {

// Entries of the largest folder worth following (a folder of more is taken as damage).
constexpr std::uint64_t kMaxFolderEntries = 65536;

// What decided a cluster; everything but Continues ends the folder before that cluster.
enum class ContinuationVerdict {
  Continues,
  Empty,             // its first slot ends the folder: nothing more to list
  AnotherFolder,     // it begins with "." and "..": the first cluster of another folder
  BadName,           // a short entry whose name bytes are not name characters
  BadAttributes,     // attribute bits that no entry of a folder carries (0x40, 0x80, a volume label)
  BadStartCluster,   // a start cluster outside the volume, or none for a folder
  BadSize,           // a size beyond the volume's data area
  BadFragment,       // a long-name fragment with an impossible sequence byte, type or cluster field
  ChecksumMismatch,  // fragments whose checksum is not that of the short entry they stand before
};

struct ContinuationJudgement {
  ContinuationVerdict verdict = ContinuationVerdict::Continues;
  std::size_t slot = 0;  // the slot of the candidate that decided it
};

// What the entries are held against: the volume's data clusters.
struct FolderVolumeExtent {
  std::uint64_t clusterCount = 0;  // data clusters, numbered from 2
  std::uint32_t clusterSize = 0;
};

// Judges candidate, the cluster that follows previous (the folder's last cluster walked so far,
// which holds no end-of-folder slot). A run of long-name fragments at the end of previous goes
// on into candidate and is held against the short entry it ends at.
ContinuationJudgement judgeFolderContinuation(ByteSpan previous, ByteSpan candidate, const FolderVolumeExtent& volume);

// The rule a verdict names, for the log.
const char16_t* continuationVerdictText(ContinuationVerdict verdict);

// Whether any slot of a folder cluster is an end-of-folder slot (first byte 0).
bool holdsEndOfFolder(ByteSpan cluster);

// The most clusters a deleted folder is followed through: those of kMaxFolderEntries entries
// (at least one).
std::uint64_t maxFolderClusters(std::uint32_t clusterSize);

}  // namespace tarvosk
