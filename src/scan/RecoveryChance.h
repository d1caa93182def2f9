// The recovery chance of a listed file as the views show it, rating deleted NTFS files the
// first time their chance is asked for.
#pragma once

#include <cstdint>

#include "platform/WinTypes.h"
#include "scan/FileEntry.h"

namespace tarvosk {

constexpr std::size_t kRecoveryChanceTextUnits = 200;

// Writes the entry's chance text into text (at least 200 units). Returns the level.
std::uint8_t GetRecoveryChanceText(WCHAR* text, FileEntry& entry);

// The NTFS rule: 3 when every cluster of the file's data is free (or the data is resident or
// sparse), 2 when one is in use, 1 when the record or its data cannot be read.
std::uint8_t RateDeletedNtfsFile(DWORD volume, std::uint64_t recordNumber);

}  // namespace tarvosk
