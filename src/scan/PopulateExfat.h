// The basic scan of an exFAT volume: every folder, live or deleted, and every deleted file,
// under the folder that held it, each deleted file rated as it is listed. An entry's id is the
// place of its entry set on the volume, through which its data is found again.
#pragma once

#include <cstdint>
#include <vector>

#include "exfat/ExfatEntrySet.h"
#include "platform/UiPorts.h"
#include "platform/WinTypes.h"
#include "scan/DriveFileList.h"

namespace tarvosk {

// What the walk of all folders shares.
struct ExfatWalk {
  ProgressWindow* window = nullptr;
  DriveFileList* list = nullptr;
  std::uint32_t clusterSize = 0;
  std::uint64_t totalClusters = 0;  // used clusters of the volume, for the bar
  std::uint64_t doneClusters = 0;
  std::uint64_t listed = 0;
  // First clusters of the folders being walked, the root's first: a folder that repeats one
  // would walk in a loop.
  std::vector<std::uint64_t> openFolders;
};

// Walks the folder open on directory handle dir (and its subfolders) into parent. Closes dir.
DWORD PopulateExfat(ExfatWalk& walk, FileEntry& parent, DWORD dir);

// The recovery chance of a deleted exFAT file: the share of its clusters from the first (its
// extent, or for a chained file the consecutive clusters the FAT rule assumes) that the
// allocation bitmap marks free: all 3, some 2, none 1. No data, or a chained file of more than
// 100000 clusters: 1.
std::uint8_t RateDeletedExfatFile(DWORD volume, const ExfatEntrySet& set);

}  // namespace tarvosk
