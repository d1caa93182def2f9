// The volume's allocation bitmap ($Bitmap, MFT record 6): is a cluster free?
#pragma once

#include <cstdint>

#include "ntfs/NtfsVolume.h"
#include "platform/WinTypes.h"

// LAYER_SUCCESS with *isFree 1 (free) or 0 (in use); LAYER_READ_FAILED when the bitmap cannot be
// read; LAYER_BAD_HANDLE for a bad handle, or a cluster beyond the bitmap.
DWORD IsClusterFree(DWORD handle, std::uint64_t cluster, DWORD* isFree);

namespace tarvosk::ntfs {

DWORD clusterFree(NtfsVolumeEntry& entry, std::uint64_t cluster, DWORD* isFree);

// The $Bitmap's $DATA attribute from the records read at open, fixed up; empty if none.
ByteSpan bitmapDataAttribute(NtfsVolumeEntry& entry);

}  // namespace tarvosk::ntfs
