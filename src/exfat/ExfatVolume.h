// The exFAT volume layer: a fixed table of open exFAT volumes, their boot regions, cluster
// reads, the FAT, the allocation bitmap, the up-case table and the volume label.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ResultCodes.h"
#include "exfat/ExfatBootSector.h"
#include "exfat/UpcaseTable.h"
#include "platform/WinTypes.h"

constexpr DWORD EXFAT_MAX_VOLUMES = 50;
constexpr std::size_t EXFAT_PATH_CHARS = 256;
// The FAT entry that ends a chain, and the one that marks a bad cluster.
constexpr std::uint64_t EXFAT_END_OF_CHAIN = 0xFFFFFFFF;
constexpr std::uint64_t EXFAT_BAD_CLUSTER = 0xFFFFFFF7;

// A stretch of the volume read once and kept, so that consecutive FAT or bitmap lookups read the
// disk once.
struct ExfatReadWindow {
  std::vector<std::uint8_t> bytes;
  std::uint64_t offset = ~0ull;  // volume byte offset of bytes[0]; all ones when empty
};

// Consecutive clusters first .. first + count - 1.
struct ExfatRun {
  std::uint64_t first = 0;
  std::uint64_t count = 0;
};

// One open volume.
struct ExfatVolumeEntry {
  DWORD handle = 0;
  DWORD inUse = 0;
  WCHAR devicePath[EXFAT_PATH_CHARS] = {};
  HANDLE file = nullptr;
  DWORD deviceSectorSize = 512;          // reads are whole device sectors
  tarvosk::ExfatBootSector boot;
  BYTE backupBootRegion = 0;             // the main boot region was damaged: the backup one is used
  std::vector<ExfatRun> bitmapRuns;      // the allocation bitmap's clusters; empty when it has none
  std::uint64_t bitmapBytes = 0;
  tarvosk::UpcaseTable upcase;
  std::u16string label;
  ExfatReadWindow fatWindow;
  ExfatReadWindow bitmapWindow;
  // Entry sets that cross the end of their directory's cluster: the set's place (in 32-byte
  // entries from the volume's start) -> the directory cluster that holds the rest of it.
  std::unordered_map<std::uint64_t, std::uint64_t> setContinuations;
};

// Opens the exFAT volume of a drive name ("C:"); a volume handle 0-49, or 0xFFFF. The main boot
// region is used when it is sound, else the backup region.
DWORD EXFAT_OpenDevice(const WCHAR* driveName);
DWORD EXFAT_CloseDevice(DWORD handle);
DWORD EXFAT_GetSectorSize(DWORD handle, DWORD* sectorSize);
DWORD EXFAT_GetClusterSize(DWORD handle, DWORD* clusterSize);
// Clusters of the heap; they are numbered 2 .. count + 1.
DWORD EXFAT_GetClusterCount(DWORD handle, std::uint64_t* count);
// 0, 1 (read failure, or clusters outside the heap) or 4.
DWORD EXFAT_ReadClusters(DWORD handle, std::uint64_t firstCluster, DWORD count, void* buffer);
// The FAT entry of a cluster of the heap; 0, 1 (read failure or not a heap cluster) or 4.
DWORD EXFAT_GetClusterEntry(DWORD handle, std::uint64_t cluster, std::uint64_t* next);
// From the allocation bitmap: *isFree 1 or 0; 1 when the bitmap cannot be read (or there is
// none); 4 for a bad handle or a cluster outside the heap.
DWORD EXFAT_IsClusterFree(DWORD handle, std::uint64_t cluster, DWORD* isFree);
// Free clusters among first .. first + count - 1 (those outside the heap are not free).
DWORD EXFAT_CountFreeClusters(DWORD handle, std::uint64_t first, std::uint64_t count, std::uint64_t* freeCount);

// The open entry of a handle, or null for a handle 50 or above or not in use.
ExfatVolumeEntry* EXFAT_GetVolumeEntry(DWORD handle);

namespace tarvosk::exfat {

// Operations on the entry itself, for the layer's other parts. Offsets and lengths in bytes,
// whole device sectors.
DWORD readVolume(ExfatVolumeEntry& volume, std::uint64_t offset, std::uint64_t length, void* buffer);
DWORD readClusters(ExfatVolumeEntry& volume, std::uint64_t firstCluster, std::uint64_t count, void* buffer);
DWORD fatEntry(ExfatVolumeEntry& volume, std::uint64_t cluster, std::uint64_t& next);
// 0 with free set; 1 when the bitmap cannot be read; 4 outside the heap.
DWORD clusterFree(ExfatVolumeEntry& volume, std::uint64_t cluster, bool& free);
DWORD countFreeClusters(ExfatVolumeEntry& volume, std::uint64_t first, std::uint64_t count, std::uint64_t& freeCount);
// The first free cluster from from up to (not including) end; false when there is none there
// (or the bitmap fails).
bool nextFreeCluster(ExfatVolumeEntry& volume, std::uint64_t from, std::uint64_t end, std::uint64_t& found);

}  // namespace tarvosk::exfat
