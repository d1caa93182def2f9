#include "fat/FatVolume.h"

#include <algorithm>
#include <string>

#include "device/DeviceMode.h"
#include "device/ExtReadLogicalSectors.h"
#include "device/FindFreeHandle.h"
#include "fat/FatEntry.h"
#include "log/Log.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"

using namespace std::string_view_literals;

namespace {

FatVolumeEntry g_volumes[FAT_MAX_VOLUMES] = {};

constexpr DWORD kMinimumBootSectorBytes = 512;
constexpr DWORD kLargestSystemSector = 4096;
constexpr std::uint64_t kMaxWin9xSector = 0xFFFFFFFFull;

// A drive name is a letter and a colon, optionally followed by "\".
bool isDriveName(const WCHAR* name) {
  if (!name) return false;
  WCHAR c = name[0];
  bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  if (!letter || name[1] != u':') return false;
  return name[2] == 0 || (name[2] == u'\\' && name[3] == 0);
}

BYTE driveNumberOf(WCHAR letter) {
  if (letter >= u'a' && letter <= u'z') return static_cast<BYTE>(letter - u'a' + 1);
  return static_cast<BYTE>(letter - u'A' + 1);
}

std::uint8_t* allocateBuffer(std::size_t bytes) {
  return static_cast<std::uint8_t*>(VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void freeBuffer(std::uint8_t*& buffer) {
  if (buffer) VirtualFree(buffer, 0, MEM_RELEASE);
  buffer = nullptr;
}

// Releases what an entry holds and leaves it free.
void releaseEntry(FatVolumeEntry& e) {
  freeBuffer(e.bootSector);
  freeBuffer(e.fatCache);
  freeBuffer(e.clusterBuffer);
  if (e.file && e.file != INVALID_HANDLE_VALUE) CloseHandle(e.file);
  e = FatVolumeEntry{};
}

DWORD handleBits(const FatVolumeEntry& e) { return e.handle; }

// The log line of a boot sector that parsed but cannot be used, naming the rule that refused it.
void logRefusedBootSector(const WCHAR* shown, tarvosk::BootSectorProblem problem, const tarvosk::FatBootSector& boot) {
  using tarvosk::BootSectorProblem;
  switch (problem) {
    case BootSectorProblem::NotFat:
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): Boot block is not a FAT boot block (OEM signature %S)"sv, shown,
                boot.oemName);
      break;
    case BootSectorProblem::BadGeometry:
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): Boot block geometry is invalid: BytesPerSector=%d, SectorsPerCluster=%d"sv,
                shown, boot.bytesPerSector, boot.sectorsPerCluster);
      break;
    case BootSectorProblem::Overlap:
      LOG_Write(g_logFAT, ERROR,
                u"FAT_OpenDevice(%s): Boot block geometry is invalid: %I64d sectors hold no room for the FATs and the root directory"sv,
                shown, boot.totalSectors);
      break;
    case BootSectorProblem::Empty:
      LOG_Write(g_logFAT, ERROR,
                u"FAT_OpenDevice(%s): Boot block geometry is invalid: ReservedSectors=%d, NumberOfFATs=%d, SectorsPerFAT=%d, "
                u"%I64d clusters"sv,
                shown, boot.reservedSectors, boot.numberOfFats, boot.sectorsPerFat, boot.clusterCount);
      break;
    case BootSectorProblem::None:
    case BootSectorProblem::Signature:
      break;
  }
}

}  // namespace

FatVolumeEntry* FAT_GetVolumeEntry(DWORD handle) {
  if (handle >= FAT_MAX_VOLUMES || !g_volumes[handle].inUse) return nullptr;
  return &g_volumes[handle];
}

DWORD FAT_OpenDevice(const WCHAR* driveName) {
  const WCHAR* shown = driveName ? driveName : u"";
  LOG_Write(g_logFAT, INFO, u"FAT_OpenDevice(%s)"sv, shown);
  DWORD handle = tarvosk::FindFreeHandle(g_logFAT, g_volumes);
  if (handle == INVALID_LAYER_HANDLE) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): FindFreeHandle failed"sv, shown);
    return INVALID_LAYER_HANDLE;
  }
  if (!isDriveName(driveName)) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): not a drive name (a letter and a colon)"sv, shown);
    return INVALID_LAYER_HANDLE;
  }
  FatVolumeEntry& e = g_volumes[handle];
  e = FatVolumeEntry{};
  e.handle = handle;
  const std::u16string drive(driveName, 2);

  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  const std::u16string root = drive + u"\\";
  if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): GetDiskFreeSpace failed"sv, shown);
    return INVALID_LAYER_HANDLE;
  }
  LOG_Write(g_logFAT, INFO,
            u"FAT_OpenDevice(%s): SectorsPerCluster=%d, BytesPerSector=%d. NumberOfFreeClusters=%d, "
            u"TotalNumberOfClusters=%d"sv,
            shown, sectorsPerCluster, bytesPerSector, freeClusters, totalClusters);
  // The boot sector buffer must hold the 512 bytes that are decoded.
  if (bytesPerSector < kMinimumBootSectorBytes || bytesPerSector > kLargestSystemSector) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): BytesPerSector=%d is out of range"sv, shown, bytesPerSector);
    return INVALID_LAYER_HANDLE;
  }
  e.bootSectorBytes = bytesPerSector;
  e.bootSector = allocateBuffer(bytesPerSector);
  if (!e.bootSector) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): VirtualAlloc failed with code %d"sv, shown, GetLastError());
    releaseEntry(e);
    return INVALID_LAYER_HANDLE;
  }

  if (!RAW_IsWin9xMode()) {
    std::u16string path = u"\\\\.\\" + drive;
    std::copy(path.begin(), path.end(), e.devicePath);
    e.file = CreateFileW(e.devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (e.file == INVALID_HANDLE_VALUE) {
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): CreateFile failed with code %d"sv, shown, GetLastError());
      e.file = nullptr;
      releaseEntry(e);
      return INVALID_LAYER_HANDLE;
    }
    DWORD got = 0;
    if (!ReadFile(e.file, e.bootSector, bytesPerSector, &got, nullptr) || got != bytesPerSector) {
      DWORD code = got != bytesPerSector && GetLastError() == ERROR_SUCCESS ? ERROR_HANDLE_EOF : GetLastError();
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): ReadFile failed with code %d"sv, shown, code);
      releaseEntry(e);
      return INVALID_LAYER_HANDLE;
    }
  } else {
    std::copy(drive.begin(), drive.end(), e.devicePath);
    e.driveNumber = driveNumberOf(drive[0]);
    if (!ExtReadLogicalSectors(RAW_GetVwin32Handle(), e.driveNumber, 0, 1, e.bootSector)) {
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): ExtReadLogicalSectors failed"sv, shown);
      releaseEntry(e);
      return INVALID_LAYER_HANDLE;
    }
  }

  tarvosk::FatBootSector& boot = e.layout;
  tarvosk::BootSectorProblem problem =
      tarvosk::parseFatBootSector(tarvosk::ByteSpan(e.bootSector, e.bootSectorBytes), boot);
  if (problem == tarvosk::BootSectorProblem::Signature) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): Boot block signature is incorrect"sv, shown);
    releaseEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  e.sectorSize = boot.bytesPerSector;
  e.clusterSize = boot.clusterSize;
  LOG_Write(g_logFAT, INFO, u"FAT_OpenDevice(%s): Boot block OEM signature is %5S"sv, shown, boot.oemName);
  if (problem != tarvosk::BootSectorProblem::None) {
    logRefusedBootSector(shown, problem, boot);
    releaseEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  e.rootDirSectors = boot.rootDirSectors;
  e.firstDataSector = boot.firstDataSector;
  e.fatType = static_cast<DWORD>(boot.type);
  LOG_Write(g_logFAT, INFO, u"FAT_OpenDevice(%s): Device is %s"sv, shown, tarvosk::fatTypeName(boot.type));

  e.fatCache = allocateBuffer(2 * static_cast<std::size_t>(e.sectorSize));
  e.clusterBuffer = allocateBuffer(2 * static_cast<std::size_t>(e.clusterSize));
  if (!e.fatCache || !e.clusterBuffer) {
    LOG_Write(g_logFAT, ERROR, u"FAT_OpenDevice(%s): cannot allocate the volume buffers"sv, shown);
    releaseEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  e.cachedFatSector = FAT_NO_SECTOR;
  e.currentCluster = FAT_NO_CLUSTER;
  e.nextCluster = FAT_NO_CLUSTER;
  e.inUse = 1;
  return handle;
}

DWORD FAT_CloseDevice(DWORD handle) {
  LOG_Write(g_logFAT, INFO, u"FAT_CloseDevice(%d)"sv, handle);
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  releaseEntry(*e);
  return LAYER_SUCCESS;
}

DWORD FAT_GetSectorSize(DWORD handle, DWORD* sectorSize) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetSectorSize(%d)"sv, handle);
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (sectorSize) *sectorSize = e->sectorSize;
  return LAYER_SUCCESS;
}

DWORD FAT_GetClusterSize(DWORD handle, DWORD* clusterSize) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetClusterSize(%d)"sv, handle);
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (clusterSize) *clusterSize = e->clusterSize;
  return LAYER_SUCCESS;
}

std::uint64_t __GetRootDirSecNum(FatVolumeEntry& volume) {
  std::uint64_t sector = 0;
  if (volume.fatType == static_cast<DWORD>(tarvosk::FatType::Fat32)) {
    sector = __GetFirstSectorOfCluster(volume, volume.layout.rootCluster);
  } else {
    sector = volume.layout.reservedSectors +
             static_cast<std::uint64_t>(volume.layout.numberOfFats) * volume.layout.sectorsPerFat16;
  }
  LOG_Write(g_logFAT, INFO, u"__GetRootDirSecNum(0x%x): returning %I64d"sv, handleBits(volume), sector);
  return sector;
}

DWORD FAT_GetRootDirSecNum(DWORD handle, std::uint64_t* sector) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetRootDirSecNum(%d)"sv, handle);
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  std::uint64_t s = __GetRootDirSecNum(*e);
  if (sector) *sector = s;
  LOG_Write(g_logFAT, INFO, u"FAT_GetRootDirSecNum(handle %d): returning %d"sv, handle, s);
  return LAYER_SUCCESS;
}

DWORD __ReadSectors(FatVolumeEntry& volume, std::uint64_t firstSector, DWORD count, void* buffer) {
  LOG_Write(g_logFAT, INFO, u"__ReadSectors(handle=0x%x): reading %d sectors, start sector is %I64d)"sv,
            handleBits(volume), count, firstSector);
  const std::uint64_t bytes = static_cast<std::uint64_t>(count) * volume.sectorSize;
  if (RAW_IsWin9xMode()) {
    // The DOS disk services address 32-bit sectors and 16-bit counts.
    if (firstSector > kMaxWin9xSector || count > 0xFFFF || !buffer ||
        !ExtReadLogicalSectors(RAW_GetVwin32Handle(), volume.driveNumber, static_cast<DWORD>(firstSector),
                               static_cast<WORD>(count), buffer)) {
      LOG_Write(g_logFAT, ERROR, u"__ReadSectors(handle=0x%x): ReadFile() failed"sv, handleBits(volume));
      return LAYER_READ_FAILED;
    }
    return LAYER_SUCCESS;
  }
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(firstSector * volume.sectorSize);
  if (firstSector > 0x7FFFFFFFFFFFFFFFull / volume.sectorSize ||
      !SetFilePointerEx(volume.file, position, nullptr, FILE_BEGIN)) {
    LOG_Write(g_logFAT, ERROR, u"__ReadSectors(handle=0x%x): SetFilePointer() failed with code %d"sv, handleBits(volume),
              GetLastError());
    return LAYER_READ_FAILED;
  }
  if (bytes > 0xFFFFFFFFull || !buffer) {
    LOG_Write(g_logFAT, ERROR, u"__ReadSectors(handle=0x%x): ReadFile() failed with code %d"sv, handleBits(volume),
              ERROR_INVALID_PARAMETER);
    return LAYER_READ_FAILED;
  }
  DWORD got = 0;
  if (!ReadFile(volume.file, buffer, static_cast<DWORD>(bytes), &got, nullptr)) {
    LOG_Write(g_logFAT, ERROR, u"__ReadSectors(handle=0x%x): ReadFile() failed with code %d"sv, handleBits(volume),
              GetLastError());
    return LAYER_READ_FAILED;
  }
  // A short read leaves stale bytes in the buffer: a failure, never a success.
  if (got != bytes) {
    LOG_Write(g_logFAT, ERROR, u"__ReadSectors(handle=0x%x): ReadFile() failed with code %d"sv, handleBits(volume),
              ERROR_HANDLE_EOF);
    return LAYER_READ_FAILED;
  }
  return LAYER_SUCCESS;
}

DWORD FAT_ReadSectors(DWORD handle, std::uint64_t firstSector, DWORD count, void* buffer) {
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  return __ReadSectors(*e, firstSector, count, buffer);
}

std::uint64_t __GetFirstSectorOfCluster(FatVolumeEntry& volume, std::uint64_t cluster) {
  std::uint64_t sector = (cluster - 2) * volume.layout.sectorsPerCluster + volume.firstDataSector;
  LOG_Write(g_logFAT, INFO, u"__GetFirstSectorOfCluster(handle=0x%x, cluster=%I64d): returning %I64d"sv,
            handleBits(volume), cluster, sector);
  return sector;
}

DWORD FAT_GetFirstSectorOfCluster(DWORD handle, std::uint64_t cluster, std::uint64_t* sector) {
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  std::uint64_t s = __GetFirstSectorOfCluster(*e, cluster);
  if (sector) *sector = s;
  return LAYER_SUCCESS;
}

DWORD __GetClusterEntryInFAT(FatVolumeEntry& volume, std::uint64_t cluster, std::uint64_t* nextCluster,
                             DWORD* endFlag) {
  const auto type = static_cast<tarvosk::FatType>(volume.fatType);
  const bool end = tarvosk::isEndOfChain(type, cluster);
  if (endFlag) *endFlag = end ? 1 : 0;
  if (end) {
    // An end-of-chain value names no cluster, so it has no entry to read: the lookup gives the
    // value itself back (reading "its entry" would read past the FAT, and fail on small volumes).
    if (nextCluster) *nextCluster = cluster;
    LOG_Write(g_logFAT, INFO, u"__GetClusterEntryInFAT(0x%x): returning next cluster %I64d"sv, handleBits(volume), cluster);
    return LAYER_SUCCESS;
  }
  const std::uint64_t offset = tarvosk::fatEntryOffset(type, cluster);
  const std::uint64_t fatBytes = static_cast<std::uint64_t>(volume.layout.sectorsPerFat) * volume.sectorSize;
  // Only the first FAT is consulted: an entry that would lie beyond it is not read.
  if (offset + (type == tarvosk::FatType::Fat32 ? 4 : 2) > fatBytes) {
    LOG_Write(g_logFAT, ERROR, u"__GetClusterEntryInFAT(0x%x): cluster %I64d lies beyond the FAT"sv, handleBits(volume),
              cluster);
    return LAYER_READ_FAILED;
  }
  const std::uint64_t sector = offset / volume.sectorSize + volume.layout.reservedSectors;
  const std::size_t position = static_cast<std::size_t>(offset % volume.sectorSize);
  const std::size_t entryBytes = type == tarvosk::FatType::Fat32 ? 4 : 2;
  // The cache holds two sectors: an entry wholly inside either of them is served from it.
  std::size_t inCache = 0;
  const bool cached = volume.cachedFatSector != FAT_NO_SECTOR &&
                      (sector == volume.cachedFatSector ||
                       (sector == volume.cachedFatSector + 1 && position + entryBytes <= volume.sectorSize));
  if (cached) {
    inCache = static_cast<std::size_t>(sector - volume.cachedFatSector) * volume.sectorSize + position;
  } else {
    DWORD code = __ReadSectors(volume, sector, 2, volume.fatCache);
    if (code != LAYER_SUCCESS) {
      LOG_Write(g_logFAT, ERROR, u"__GetClusterEntryInFAT(0x%x): __ReadSectors() failed"sv, handleBits(volume));
      return code;
    }
    volume.cachedFatSector = sector;
    inCache = position;
  }
  std::uint64_t value = tarvosk::decodeFatEntry(
      type, cluster, tarvosk::ByteSpan(volume.fatCache + inCache, 2 * static_cast<std::size_t>(volume.sectorSize) - inCache));
  if (nextCluster) *nextCluster = value;
  LOG_Write(g_logFAT, INFO, u"__GetClusterEntryInFAT(0x%x): returning next cluster %I64d"sv, handleBits(volume), value);
  return LAYER_SUCCESS;
}

DWORD FAT_GetClusterEntry(DWORD handle, std::uint64_t cluster, std::uint64_t* nextCluster, DWORD* endFlag) {
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  return __GetClusterEntryInFAT(*e, cluster, nextCluster, endFlag);
}
