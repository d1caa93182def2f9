// Feeds the bytes of a disk to a recogniser (or a registry) as the carving scans do: units in
// ascending order, each followed by at least one more chunk of readable bytes (the stream's
// next bytes, zeros past the end), unavailable units fed without data.
#pragma once

#include <cstdint>
#include <set>
#include <vector>

#include "platform/ByteOrder.h"

namespace tarvosk::test {

struct FeedOptions {
  std::uint32_t unitSize = 512;
  std::uint32_t unitsPerChunk = 16;
  std::set<std::uint64_t> unavailable;  // unit numbers fed with null data
  std::uint64_t firstUnit = 0;          // the number of the disk's first unit
};

// target is anything with Feed(unit, data, unitSize) and, unless resetFirst is false, Reset or
// ResetAll. The disk's length is rounded up to whole units with zeros.
template <class Target>
void feedUnits(Target& target, ByteSpan disk, const FeedOptions& options = {}) {
  const std::uint64_t unitSize = options.unitSize;
  const std::uint64_t units = (disk.size() + unitSize - 1) / unitSize;
  std::vector<std::uint8_t> padded(disk.begin(), disk.end());
  padded.resize(units * unitSize + static_cast<std::uint64_t>(options.unitsPerChunk) * unitSize * 2, 0);
  for (std::uint64_t u = 0; u < units; ++u) {
    std::uint64_t number = options.firstUnit + u;
    const std::uint8_t* data = options.unavailable.count(number) ? nullptr : padded.data() + u * unitSize;
    target.Feed(number, data, options.unitSize);
  }
}

}  // namespace tarvosk::test
