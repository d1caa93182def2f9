// Run lists (NTFS mapping pairs) of non-resident attributes, decoded one pair at a time with
// every field checked before it is read.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

// One decoded run; offset and startCluster are -1 for a sparse run.
struct Run {
  std::int64_t offset = 0;        // the signed distance as stored
  std::int64_t startCluster = 0;  // absolute first cluster (LCN)
  std::uint64_t length = 0;       // clusters
};

constexpr std::int64_t kSparseRun = -1;

// 0 with the number of runs; 4 for an empty or resident attribute (count 0); 1 when the run list
// is damaged (a size nibble above 8, a pair running past the attribute, a list without its end).
DWORD GetRunCountFromAttr(tarvosk::ByteSpan attribute, DWORD* count);

// 0 with the runs; 3 if there are more runs than the capacity; 4 empty or resident; 1 damaged
// (as above, or a start cluster outside 0..2^63).
DWORD GetRunListFromAttr(tarvosk::ByteSpan attribute, DWORD capacity, DWORD* count, Run* runs);

namespace tarvosk::ntfs {

// Counts and decodes the whole run list into runs; 0, 1 or 4 as above.
DWORD decodeRunList(ByteSpan attribute, std::vector<Run>& runs);

}  // namespace tarvosk::ntfs
