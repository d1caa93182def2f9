// Cluster chains through the file allocation table: counting a chain safely, reading its
// successive entries, and building the cluster list of a directory entry.
#pragma once

#include <cstdint>

#include "fat/FatFileRecord.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

// The longest chain that is followed.
constexpr DWORD MAX_CLUSTER_CHAIN_SIZE = 100000;

// Element i of clusterChain receives the FAT entry of the i-th cluster of the chain from start;
// stops after count elements or at the first lookup whose cluster is an end-of-chain value.
DWORD FAT_GetClusterChain(DWORD volumeHandle, std::uint64_t startCluster, std::uint64_t* clusterChain, DWORD count);
// The number of clusters in the chain from start (at most 100001; a loop ends the count).
DWORD FAT_GetClusterChainSize(DWORD volumeHandle, std::uint64_t startCluster, DWORD* count);
// Fills record.clusterList: a live entry's clusters and the end-of-chain value after them; a
// deleted entry's start cluster only; empty when the entry cannot be followed.
DWORD __PopulateClusterChain(FatFileRecord& record);
