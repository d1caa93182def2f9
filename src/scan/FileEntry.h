// One found file or folder of a scan.
#pragma once

#include <cstdint>

#include "scan/ChildIds.h"
#include "scan/EntryString.h"

namespace tarvosk {

// Which layer holds an entry's data.
enum EntryKind : std::uint8_t {
  ENTRY_KIND_FAT = 0,
  ENTRY_KIND_NTFS = 1,
  ENTRY_KIND_RAW_DEVICE = 2,
  ENTRY_KIND_RECYCLE_BIN = 3,  // a real file on disk
  ENTRY_KIND_EXFAT = 4,
};

// Recovery chances, as the views show them.
enum RecoveryChance : std::uint8_t {
  CHANCE_NOT_RATED = 0,
  CHANCE_NOT_RECOVERABLE = 1,
  CHANCE_POOR = 2,
  CHANCE_PROBABLY_GOOD = 3,
  CHANCE_EXCELLENT = 4,
};

constexpr std::uint64_t ROOT_ENTRY_ID = 5;
constexpr std::uint64_t FIRST_SCAN_ENTRY_ID = 7;
constexpr std::uint64_t FIRST_RECYCLE_BIN_ENTRY_ID = 0xFFFFFFFF00000000ull;
constexpr std::uint64_t ORPHAN_FOLDER_ENTRY_ID = 0xFFFFFFFFFFFFFFFFull;
constexpr std::uint32_t NO_HANDLE = 0xFFFF;
// A deleted item of an emptied recycle bin is shown a second time under its original name and
// folder: the second showing's id is the id of the entry it shows with this tag above the 48 bits
// of an MFT record number, so every such id is distinct from the ids of the scans and of the
// recycle bin's own entries, and an NTFS entry's record number stays in the low 48 bits.
constexpr std::uint64_t SECOND_SHOWING_ID_TAG = 0xFFFE000000000000ull;
constexpr std::uint64_t MFT_RECORD_NUMBER_MASK = 0x0000FFFFFFFFFFFFull;

// The fields are grouped by size, so that the record carries no padding, and the strings and the
// children are compact (88 bytes in all): a basic scan of a large NTFS volume holds hundreds of
// thousands of entries.
struct FileEntry {
  EntryString name;
  EntryString recycleBinPath;  // kind 3: the real file or folder on disk
  ChildIds children;
  std::uint64_t id = 0;
  std::uint64_t parentId = 0;
  std::uint64_t size = 0;
  // FAT: first cluster; physical scans: the unit where the file starts; else 0 (NTFS and exFAT
  // entries find their data through their MFT record or entry set, named by the id).
  std::uint64_t startPosition = 0;
  // NTFS entries of a basic scan: the modification time of the first $FILE_NAME of the record,
  // taken as the scan passes it (UTC, 100 ns since 1601), so that showing or sorting the time of
  // a file reads no record again; 0 when the scan did not take it.
  std::uint64_t fileNameTime = 0;
  std::uint32_t handle = NO_HANDLE;  // FAT, NTFS or exFAT volume handle, or device handle
  std::uint16_t dosTime = 0;
  std::uint16_t dosDate = 0;
  char16_t driveLetter = 0;
  std::uint8_t recoveryChance = CHANCE_NOT_RATED;
  std::uint8_t kind = ENTRY_KIND_NTFS;
  bool isFolder = false;
  bool deleted = false;
  bool hasSubfolders = false;
  bool noDeletedFiles = true;
};
static_assert(sizeof(FileEntry) <= 88, "a large list holds hundreds of thousands of entries");

// The MFT record of an entry of a basic NTFS scan (or of its second showing).
inline std::uint64_t mftRecordNumberOf(const FileEntry& entry) { return entry.id & MFT_RECORD_NUMBER_MASK; }

}  // namespace tarvosk
