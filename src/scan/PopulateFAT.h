// The basic scan of a FAT volume: every folder, live or deleted, and every deleted file, under
// the folder that held it, each deleted file rated as it is listed.
#pragma once

#include <cstdint>

#include "platform/UiPorts.h"
#include "platform/WinTypes.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

// What the walk of all folders shares: the window, the list, the id counter and the progress.
struct FatWalk {
  ProgressWindow* window = nullptr;
  DriveFileList* list = nullptr;
  std::uint64_t idCounter = FIRST_SCAN_ENTRY_ID;
  std::uint32_t totalClusters = 0;  // used clusters of the volume, for the bar
  std::uint32_t doneClusters = 0;
  int depth = 0;
};

// Walks the folder open on directory handle dir (and its subfolders) into parent. Closes dir.
DWORD PopulateFAT(FatWalk& walk, FileEntry& parent, DWORD dir);

// The recovery chance of a deleted FAT file from the FAT entries of its consecutive clusters.
std::uint8_t RateDeletedFatFile(DWORD volume, std::uint64_t firstCluster, std::uint64_t size);

}  // namespace tarvosk
