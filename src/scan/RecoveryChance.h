// The recovery chance of a listed file as the views show it, rating deleted NTFS files the
// first time their chance is asked for.
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"
#include "platform/WinTypes.h"
#include "scan/FileEntry.h"

namespace tarvosk {

constexpr std::size_t kRecoveryChanceTextUnits = 200;

// Writes the entry's chance text into text (at least 200 units). Returns the level.
std::uint8_t GetRecoveryChanceText(WCHAR* text, FileEntry& entry);

// The NTFS rule: 3 when every cluster of the file's data is free (or the data is resident or
// sparse), 2 when one is in use, 1 when the record or its data cannot be read.
std::uint8_t RateDeletedNtfsFile(DWORD volume, std::uint64_t recordNumber);

// The NTFS rule over a $DATA attribute at hand. CHANCE_NOT_RATED when its runs hold more than
// maxClusters clusters (sparse runs not counted), which are then left unrated.
std::uint8_t RateNtfsFileData(DWORD volume, ByteSpan data, std::uint64_t maxClusters = UINT64_MAX);

// The clusters up to which the basic scan rates a deleted NTFS file itself, with its record at
// hand: rated later, every file of a listing would have its record read a second time. Larger
// files wait until their chance is first asked for, so that a volume of deleted videos (hundreds
// of thousands of bitmap tests each) does not slow the scan.
constexpr std::uint64_t kClustersRatedByScan = 256;

}  // namespace tarvosk
