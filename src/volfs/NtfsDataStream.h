// A live file's unnamed $DATA stream on an NTFS volume: gathered from the base record and,
// through the attribute list, from its extension records; read whether resident, non-resident,
// sparse or compressed.
#pragma once

#include <cstdint>
#include <vector>

#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/WinTypes.h"

namespace tarvosk {

struct NtfsDataStream {
  bool present = false;
  bool resident = false;
  std::vector<BYTE> residentBytes;
  std::vector<Run> runs;             // all extents in VCN order; sparse runs have start -1
  std::uint64_t size = 0;            // bytes
  std::uint64_t initializedSize = 0; // bytes past this read as zeros
  std::uint32_t compressionUnitClusters = 0;  // 0 when not compressed
};

// Loads the unnamed $DATA of a base record (already read and sound). ERROR_SUCCESS (present
// false when the record has none), ERROR_FILE_INVALID for damaged structures, ERROR_READ_FAULT.
DWORD loadNtfsDataStream(NtfsVolumeEntry& volume, ByteSpan baseRecord, std::uint64_t recordNumber,
                         NtfsDataStream& out);

// Reads a non-resident attribute's whole value, of at most maxBytes (its runs, sparse ones as
// zeros). ERROR_FILE_INVALID for a damaged or larger value, ERROR_READ_FAULT.
DWORD readWholeValue(NtfsVolumeEntry& volume, ByteSpan attribute, std::uint64_t maxBytes, std::vector<BYTE>& out);

// Reads length bytes at offset (inside the stream) into buffer.
DWORD readNtfsDataStream(NtfsVolumeEntry& volume, const NtfsDataStream& stream, std::uint64_t offset, BYTE* buffer,
                         std::size_t length);

}  // namespace tarvosk
