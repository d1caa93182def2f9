// Walks every folder of a FAT volume through the directory walker, the way the scan engine
// does, and keeps what each entry returned.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fat/DirectoryWalker.h"

namespace tarvosk::test {

struct WalkedEntry {
  long parentIndex = -1;   // index of the folder entry it was found in, -1 for the root
  std::u16string name;
  bool folder = false;
  bool deleted = false;
  bool volumeLabel = false;
  bool longName = false;
  std::string shortForm;   // the 8.3 name as sleuthkit shows it: 0xE5 as "_", "BASE.EXT" or "BASE"
  std::uint64_t startCluster = 0;
  std::uint32_t size = 0;
  std::uint32_t clusterCount = 0;
  std::vector<std::uint64_t> clusterList;  // walkVolume: as it stands after the folder's walk
  DWORD handle = 0;
  DWORD depth = 0;
};

struct WalkResult {
  std::vector<WalkedEntry> entries;
  std::vector<DWORD> folderEndCodes;  // how each folder's walk ended (2, 1 or 4)
};

// Walks the root and, below it, every folder except "." and ".." (deleted ones too). Every
// handle is closed again.
WalkResult walkVolume(DWORD volumeHandle);
// Walks one folder handle: its entries, handles closed, and the code that ended it.
std::vector<WalkedEntry> walkFolder(DWORD folderHandle, DWORD& endCode, int maxEntries = 100000);

}  // namespace tarvosk::test
