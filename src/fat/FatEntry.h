// Entries of the file allocation table: where a cluster's entry lies, how it is decoded, and
// which cluster numbers are end-of-chain values.
#pragma once

#include <cstdint>

#include "fat/FatBootSector.h"
#include "platform/ByteOrder.h"

namespace tarvosk {

constexpr std::uint64_t kFat12EndOfChain = 0xFF8;
constexpr std::uint64_t kFat16EndOfChain = 0xFFF8;
constexpr std::uint64_t kFat32EndOfChain = 0x0FFFFFF8;
constexpr std::uint64_t kNoClusterAbove = 0x100000000ull;  // 2^32 and above end every chain
constexpr std::uint32_t kFat32EntryMask = 0x0FFFFFFF;
constexpr std::uint64_t kFirstDataCluster = 2;

// Byte offset of a cluster's entry in the FAT.
constexpr std::uint64_t fatEntryOffset(FatType type, std::uint64_t cluster) {
  switch (type) {
    case FatType::Fat12: return cluster + cluster / 2;
    case FatType::Fat16: return cluster * 2;
    case FatType::Fat32: return cluster * 4;
  }
  return 0;
}

// Decodes the entry of cluster from FAT bytes whose first byte is at the entry's offset
// (a FAT12 entry needs two bytes, FAT16 two, FAT32 four; missing bytes read as 0).
inline std::uint64_t decodeFatEntry(FatType type, std::uint64_t cluster, ByteSpan at) {
  switch (type) {
    case FatType::Fat12: {
      std::uint16_t word = le16(at, 0);
      return (cluster & 1) ? (word >> 4) : (word & 0x0FFF);
    }
    case FatType::Fat16: return le16(at, 0);
    case FatType::Fat32: return le32(at, 0) & kFat32EntryMask;
  }
  return 0;
}

// Whether a cluster number is itself an end-of-chain value.
constexpr bool isEndOfChain(FatType type, std::uint64_t cluster) {
  if (cluster >= kNoClusterAbove) return true;
  switch (type) {
    case FatType::Fat12: return cluster >= kFat12EndOfChain;
    case FatType::Fat16: return cluster >= kFat16EndOfChain;
    case FatType::Fat32: return cluster >= kFat32EndOfChain;
  }
  return true;
}

}  // namespace tarvosk
