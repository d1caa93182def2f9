// Run lists (NTFS mapping pairs) of non-resident attributes, decoded one pair at a time with
// every field checked before it is read.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

// One decoded run; offset and startCluster are -1 for a sparse run.
struct Run {
  std::int64_t offset = 0;        // the signed distance as stored
  std::int64_t startCluster = 0;  // absolute first cluster (LCN)
  std::uint64_t length = 0;       // clusters
};

constexpr std::int64_t kSparseRun = -1;

// LAYER_SUCCESS with the number of runs; LAYER_BAD_HANDLE for an empty or resident attribute
// (count 0); LAYER_READ_FAILED when the run list is damaged (a size nibble above 8, a pair running
// past the attribute, a list without its end).
DWORD GetRunCountFromAttr(tarvosk::ByteSpan attribute, DWORD* count);

// LAYER_SUCCESS with the runs; LAYER_ARRAY_TOO_SMALL if there are more runs than the capacity;
// LAYER_BAD_HANDLE empty or resident; LAYER_READ_FAILED damaged (as above, or a start cluster
// outside 0..2^63).
DWORD GetRunListFromAttr(tarvosk::ByteSpan attribute, DWORD capacity, DWORD* count, Run* runs);

namespace tarvosk::ntfs {

// Counts and decodes the whole run list into runs; LAYER_SUCCESS, LAYER_READ_FAILED or
// LAYER_BAD_HANDLE as above.
DWORD decodeRunList(ByteSpan attribute, std::vector<Run>& runs);

}  // namespace tarvosk::ntfs
