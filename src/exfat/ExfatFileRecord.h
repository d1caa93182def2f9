// The record the exFAT directory walker keeps for each file handle it issues.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/WinTypes.h"

struct ExfatFileRecord {
  DWORD volumeHandle = 0;
  BYTE root = 0;      // set only for the record made by EXFAT_OpenRootDirectory
  BYTE deleted = 0;
  BYTE folder = 0;
  BYTE noFatChain = 0;
  std::uint64_t firstCluster = 0;
  std::uint64_t dataLength = 0;
  // A folder's entries, read on its first walk step, and the cluster each cluster-sized piece
  // of them came from.
  BYTE loaded = 0;
  std::vector<std::uint8_t> data;
  std::vector<std::uint64_t> clusters;
  std::size_t nextEntry = 0;  // 32-byte entries of data consumed so far
};
