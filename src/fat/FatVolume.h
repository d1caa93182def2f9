// The FAT volume layer: a fixed table of open FAT12/16/32 volumes, their boot sectors, sector
// reads, cluster positions and the lookup of one cluster's entry in the FAT.
#pragma once

#include <cstdint>

#include "fat/FatBootSector.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

constexpr DWORD FAT_MAX_VOLUMES = 50;
constexpr std::size_t FAT_PATH_CHARS = 256;
constexpr std::uint64_t FAT_NO_SECTOR = 0x00000000FFFFFFFFull;
constexpr std::uint64_t FAT_NO_CLUSTER = ~0ull;

// One open volume.
struct FatVolumeEntry {
  DWORD handle;
  DWORD inUse;
  WCHAR devicePath[FAT_PATH_CHARS];
  HANDLE file;
  std::uint8_t* bootSector;      // a copy of sector 0, one system sector long
  DWORD bootSectorBytes;
  DWORD sectorSize;
  DWORD clusterSize;
  DWORD fatType;                 // 0 FAT12, 1 FAT16, 2 FAT32
  DWORD rootDirSectors;
  std::uint64_t firstDataSector;
  std::uint8_t* fatCache;        // the two FAT sectors read last
  std::uint64_t cachedFatSector;
  std::uint8_t* clusterBuffer;   // two clusters: the directory walker's working buffer
  std::uint64_t currentCluster;  // cluster in the first half of the buffer
  std::uint64_t nextCluster;     // cluster in the second half
  // Layout decoded from the boot sector.
  tarvosk::FatBootSector layout;
  BYTE driveNumber;              // Windows 9x mode: 1 for A:
};

// Opens the FAT volume of a drive name ("C:"); a volume handle 0-49, or 0xFFFF.
DWORD FAT_OpenDevice(const WCHAR* driveName);
DWORD FAT_CloseDevice(DWORD handle);
DWORD FAT_GetSectorSize(DWORD handle, DWORD* sectorSize);
DWORD FAT_GetClusterSize(DWORD handle, DWORD* clusterSize);
DWORD FAT_GetRootDirSecNum(DWORD handle, std::uint64_t* sector);
DWORD FAT_ReadSectors(DWORD handle, std::uint64_t firstSector, DWORD count, void* buffer);
DWORD FAT_GetFirstSectorOfCluster(DWORD handle, std::uint64_t cluster, std::uint64_t* sector);
DWORD FAT_GetClusterEntry(DWORD handle, std::uint64_t cluster, std::uint64_t* nextCluster, DWORD* endFlag);

// The open entry of a handle, or null for a handle 50 or above or not in use.
FatVolumeEntry* FAT_GetVolumeEntry(DWORD handle);

// The operations the layer's other parts build on; they take the table entry itself.
DWORD __ReadSectors(FatVolumeEntry& volume, std::uint64_t firstSector, DWORD count, void* buffer);
std::uint64_t __GetFirstSectorOfCluster(FatVolumeEntry& volume, std::uint64_t cluster);
std::uint64_t __GetRootDirSecNum(FatVolumeEntry& volume);
DWORD __GetClusterEntryInFAT(FatVolumeEntry& volume, std::uint64_t cluster, std::uint64_t* nextCluster,
                             DWORD* endFlag);
