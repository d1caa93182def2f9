// Copies the data of an exFAT file found by a basic scan into an open output file: its clusters
// up to the valid data length, then zeros up to the data length.
#pragma once

#include <cstdint>
#include <vector>

#include "recover/ContiguousCopy.h"
#include "scan/ExfatFileData.h"

namespace tarvosk {

// The clusters of data.runs in order; with a selection, clusters not in it are only counted and
// no zeros follow.
// Writes no more than the runs cover (a hostile data length cannot make it write zeros without
// end); whole tells whether that was all of the data length.
CopyOutcome copyExfatData(DriveUnits& units, const ExfatFileData& data, const std::vector<std::uint64_t>* selection,
                          HANDLE output, RecoveryJob& job, bool& whole);

}  // namespace tarvosk
