// Copies an NTFS file found through the MFT: its $DATA as runs of clusters, as a resident value,
// or as compression units.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ByteOrder.h"
#include "recover/RecoveryJob.h"

namespace tarvosk {

enum class NtfsCopyResult { Succeeded, Failed, Cancelled };

// Writes data (the $DATA attribute) of the volume's file into output. On failure the reason has
// been reported and the output file closed (and deleted, except after a failed integrity
// check); on success or cancel output is closed too.
NtfsCopyResult copyNtfsData(DWORD volume, ByteSpan data, const std::vector<std::uint64_t>* selection, HANDLE output,
                            const std::u16string& outputPath, RecoveryJob& job);

}  // namespace tarvosk
