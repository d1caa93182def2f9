// The $DATA attribute of an NTFS file found through the MFT: in its base record, or in the first
// extension record (named by the attribute list) that holds one.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"

namespace tarvosk {

enum class NtfsDataLookup { Found, RecordUnreadable, NoData };

// record receives the record that holds the attribute; data points into it.
NtfsDataLookup findNtfsFileData(DWORD volume, std::uint64_t recordNumber, std::vector<BYTE>& record, ByteSpan& data);

}  // namespace tarvosk
