// The scans a fuzz target runs on an attached in-memory image, chosen by the image's option
// bits: the basic scan of drive C:, with bit 0 also the carving scan of C:'s first units, with
// bit 1 the carving scan of physical drive 0's first units.
#pragma once

#include <cstdint>
#include <functional>

#include "scan/FileList.h"

namespace tarvosk::fuzz {

// Carving scans stop after this many units, so one input stays fast.
constexpr std::uint64_t kCarvedUnits = 512;

// Runs the scans; after each one that stores a list, checks that every child id it names is in
// the list and hands the list to visit (a later scan of the same drive replaces it).
void scanImage(CFileList& lists, std::uint8_t options, const std::function<void(DriveFileList&)>& visit);

}  // namespace tarvosk::fuzz
