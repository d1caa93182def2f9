// The extension records that hold further parts of an attribute, found through the record's
// $ATTRIBUTE_LIST.
#pragma once

#include <cstdint>

#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

// recordNumbers receives at most *count record numbers (in: capacity, out: how many).
// LAYER_SUCCESS (the count may be 0); LAYER_READ_FAILED when the record has no attribute list or
// the list cannot be read; LAYER_BAD_HANDLE.
DWORD GetExtendedMFTRecordNum(DWORD handle, tarvosk::ByteSpan record, DWORD type, std::uint64_t* recordNumbers,
                              DWORD* count);

namespace tarvosk::ntfs {

// The same on a volume entry, whether or not it is in the table yet.
DWORD extendedRecordNumbers(NtfsVolumeEntry& entry, ByteSpan record, DWORD type, std::uint64_t* recordNumbers,
                            DWORD* count);

}  // namespace tarvosk::ntfs
