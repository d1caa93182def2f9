// The extension records that hold further parts of an attribute, found through the record's
// $ATTRIBUTE_LIST.
#pragma once

#include <cstdint>

#include "ntfs/NtfsVolume.h"
#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

// recordNumbers receives at most *count record numbers (in: capacity, out: how many). 0 (the
// count may be 0); 1 when the record has no attribute list or the list cannot be read; 4 bad
// handle.
DWORD GetExtendedMFTRecordNum(DWORD handle, tarvosk::ByteSpan record, DWORD type, std::uint64_t* recordNumbers,
                              DWORD* count);

namespace tarvosk::ntfs {

// The same on a volume entry, whether or not it is in the table yet.
DWORD extendedRecordNumbers(NtfsVolumeEntry& entry, ByteSpan record, DWORD type, std::uint64_t* recordNumbers,
                            DWORD* count);

}  // namespace tarvosk::ntfs
