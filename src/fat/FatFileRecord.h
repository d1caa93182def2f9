// The record the directory walker keeps for each file handle it issues.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

struct FatFileRecord {
  DWORD volumeHandle = 0;
  BYTE root = 0;       // set only for the record made by FAT_OpenRootDirectory
  BYTE deleted = 0;
  std::uint64_t startCluster = 0;
  std::vector<std::uint64_t> clusterList;  // built by __PopulateClusterChain
  DWORD nextEntryIndex = 0;                // 32-byte slots of this folder consumed so far
  BYTE folder = 0;
  // A deleted folder: no cluster after the last of its list goes on with it (its list is final).
  BYTE continuationEnded = 0;
  std::vector<std::uint8_t> rootDirectory; // FAT12/16: the whole fixed root area
  // Kept from the entry for the volume file view: its attribute byte and its 11 name bytes.
  BYTE attributes = 0;
  BYTE shortName[11] = {};
  BYTE caseFlags = 0;    // entry offset 12: 0x08 base in lower case, 0x10 extension in lower case
  BYTE longName = 0;     // 1 if long-name fragments preceded the entry
};
