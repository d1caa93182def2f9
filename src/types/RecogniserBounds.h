// How far past a unit the recognisers may read, and how a found end is kept within a size limit.
#pragma once

#include <cstdint>
#include <vector>

#include "types/TypeFilter.h"

namespace tarvosk {

// The scan driver keeps at least one more chunk readable after the unit being fed, and a chunk
// is never smaller than one unit (one cluster on a volume, 16 sectors on a physical drive). The
// recognisers therefore never read more than one unit size past the end of the unit.
inline constexpr std::uint64_t lookAheadBytes(std::uint32_t unitSize) { return unitSize; }

// The bytes a recogniser may read from the start of a unit: the unit and its look-ahead.
inline constexpr std::size_t readableBytes(std::uint32_t unitSize) {
  return static_cast<std::size_t>(unitSize) + static_cast<std::size_t>(lookAheadBytes(unitSize));
}

// Reports the open file with the length its end gives, unless that end lies beyond the limit:
// then the file is reported as one that reached the limit (the limit as length, chance 2).
inline void finishWithinLimit(CarvedFile& file, std::vector<FoundFile>& results, std::uint64_t exactLength,
                              std::uint64_t limit) {
  if (exactLength > limit)
    file.closeEarly(results, limit);
  else
    file.finish(results, exactLength);
}

}  // namespace tarvosk
