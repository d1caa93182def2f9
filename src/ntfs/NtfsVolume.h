// The NTFS volume table: open volumes, their $MFT run lists and MFT record reads.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "ntfs/RunList.h"
#include "platform/ResultCodes.h"
#include "platform/WinTypes.h"

constexpr DWORD kNtfsTableSize = 100;
constexpr DWORD kNtfsInvalidHandle = 0xFFFF;
constexpr DWORD kMaxMftExtensionRecords = 50;
// Records read out of the $MFT's order that are kept, and the number that stands for none.
constexpr std::size_t kRecentRecords = 16;
constexpr std::uint64_t kNoRecord = UINT64_MAX;
constexpr std::array<std::uint64_t, kRecentRecords> noRecentRecords() {
  std::array<std::uint64_t, kRecentRecords> numbers{};
  numbers.fill(kNoRecord);
  return numbers;
}

// One open volume. Buffers are page-granular allocations owned by the entry.
struct NtfsVolumeEntry {
  DWORD handle = 0;
  DWORD inUse = 0;
  std::array<WCHAR, 256> devicePath{};
  BYTE* bootBuffer = nullptr;       // one cluster: the start of the volume
  BYTE* firstRecords = nullptr;     // records 0 to 15 of the $MFT as read at open
  DWORD mftRunCount = 0;
  std::vector<Run> mftRuns;
  // The $MFT read window: up to 128 KiB of consecutive $MFT clusters (at least one record), so
  // that a walk over the records in order reads the volume in large pieces.
  BYTE* clusterBuffer = nullptr;
  DWORD clusterBufferSize = 0;
  std::uint64_t cachedCluster = 0;  // first cluster in clusterBuffer; 0 means none
  DWORD cachedClusters = 0;         // how many clusters from it the buffer holds
  // Records read out of order, each on its own, the last kRecentRecords of them kept (fixed up).
  std::uint64_t lastRecord = kNoRecord;  // the record asked for last: those a little after it are in order
  std::vector<BYTE> recentRecords;
  std::array<std::uint64_t, kRecentRecords> recentNumbers = noRecentRecords();
  unsigned nextRecent = 0;
  DWORD sectorSize = 0;
  DWORD clusterSize = 0;
  DWORD clustersPerMFTRecord = 0;   // boot sector offset 64, whole
  DWORD clustersPerRecordRead = 0;  // clusters one record spans when it is larger than a cluster
  DWORD recordsPerCluster = 0;      // 0 when a record is larger than a cluster
  DWORD recordSize = 0;
  std::uint64_t mftDataSize = 0;
  std::uint64_t volumeClusters = UINT64_MAX;  // clusters the device holds, when it says
  DWORD bitmapRunCount = 0;
  std::vector<Run> bitmapRuns;
  // Clusters of the $Bitmap read last, one slot for each bitmap VCN modulo the slot count, so
  // that rating files spread over the volume does not read a bitmap cluster for each.
  BYTE* bitmapBuffer = nullptr;
  std::vector<std::uint64_t> cachedBitmapClusters;  // per slot; 0 means none
  HANDLE file = nullptr;
};

// Opens "C:"-style drive names. Returns the volume handle 0-99, or 0xFFFF.
DWORD OpenMFT(const WCHAR* driveName);
// 1 closed; 0 for a bad handle.
DWORD CloseMFT(DWORD handle);
// LAYER_SUCCESS; LAYER_READ_FAILED (read failure, damaged record, buffer smaller than a record);
// LAYER_NO_MORE beyond the $MFT's runs (and so is every later record); LAYER_BAD_HANDLE. The
// buffer receives the fixed-up record.
DWORD GetMFTRecord(DWORD handle, std::uint64_t record, std::span<BYTE> buffer);
DWORD GetMFTRecordSize(DWORD handle, DWORD* size);
DWORD GetMFTSize(DWORD handle, std::uint64_t* size);
// The records worth reading: as many as the $MFT's data size gives, but no more than its runs and
// the volume can hold (damaged fields can claim trillions).
DWORD GetMFTRecordCount(DWORD handle, std::uint64_t* count);
DWORD GetNTFSClusterSize(DWORD handle, DWORD* size);
// LAYER_SUCCESS, LAYER_READ_FAILED (read failure or a buffer smaller than the clusters) or
// LAYER_BAD_HANDLE.
DWORD ReadClusters(DWORD handle, std::uint64_t firstCluster, DWORD count, std::span<BYTE> buffer);

// Internal operations on the entry itself.
bool ReadNTFSBootBlock(NtfsVolumeEntry& entry);
bool InitializeNTFSData(NtfsVolumeEntry& entry);
DWORD __ReadClusters(NtfsVolumeEntry& entry, std::uint64_t firstCluster, DWORD count, BYTE* buffer);
DWORD __GetMFTRecord(NtfsVolumeEntry& entry, std::uint64_t record, std::span<BYTE> buffer);

namespace tarvosk::ntfs {

// The table entry of an open volume, or null for a bad handle (100 or more, or not in use).
NtfsVolumeEntry* openEntry(DWORD handle);

// Opens the volume of the drive name with the geometry given, outside the table (the volume
// file-system driver uses it, since it answers the free-space query itself). The entry's handle
// is 0xFFFF. True on success; closeVolumeEntry frees it either way.
bool openVolumeEntry(NtfsVolumeEntry& entry, const WCHAR* driveName, DWORD sectorSize, DWORD clusterSize);
void closeVolumeEntry(NtfsVolumeEntry& entry);

// Number of MFT records on the volume ($MFT data size / record size), at most as many as the
// $MFT's runs hold.
std::uint64_t mftRecordCount(const NtfsVolumeEntry& entry);

}  // namespace tarvosk::ntfs
