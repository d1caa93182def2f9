// MBR (with its chain of extended boot records) and GPT partition tables, parsed from sectors
// that a reader callback supplies.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/ByteOrder.h"

namespace tarvosk {

struct PartitionEntry {
  std::uint32_t number = 0;     // 1-4 primary, 5 upwards logical (MBR); 1 upwards (GPT)
  std::uint64_t firstSector = 0;
  std::uint64_t sectorCount = 0;
  std::uint8_t mbrType = 0;     // the MBR type byte; 0 on GPT
  bool basicData = false;       // GPT: a basic data partition (FAT, NTFS, exFAT)
};

enum class PartitionTableKind { None, Mbr, Gpt };

struct PartitionTable {
  PartitionTableKind kind = PartitionTableKind::None;
  std::vector<PartitionEntry> partitions;
};

// Reads count sectors from lba into out (count times the sector size); false on failure.
using SectorReader = std::function<bool(std::uint64_t lba, std::uint32_t count, std::vector<std::uint8_t>& out)>;

// The disk's table. Partitions reaching past the end of the disk are cut to it; empty and
// absurd entries are dropped; the extended chain is followed at most 128 links and never in a
// loop. A disk whose first sector is a FAT or NTFS boot sector has no table (a bare volume).
PartitionTable readPartitionTable(const SectorReader& read, std::uint64_t totalSectors, std::uint32_t sectorSize);

// The four primary entries of an MBR sector, type 0 entries included; empty if the sector has
// no 0x55 0xAA signature.
std::vector<PartitionEntry> parseMbrEntries(ByteSpan sector);

}  // namespace tarvosk
