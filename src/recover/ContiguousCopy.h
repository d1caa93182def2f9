// Copies a file stored as one contiguous stretch of units into an open output file.
#pragma once

#include <cstdint>
#include <vector>

#include "recover/RecoveryJob.h"
#include "scan/DriveUnits.h"

namespace tarvosk {

enum class CopyOutcome { Complete, Incomplete, Cancelled };

// Reads units start, start + 1, ... until size bytes are written (the last unit cut to size).
// With a selection, units not in it are neither read nor written, only counted.
CopyOutcome copyContiguousUnits(DriveUnits& units, std::uint64_t start, std::uint64_t size,
                                const std::vector<std::uint64_t>* selection, HANDLE output, RecoveryJob& job);

}  // namespace tarvosk
