// The one entry point of every scan: chooses the reader for the drive, opens it, fills a new
// list and stores it under the drive path.
#include <memory>

#include "device/RawDevice.h"
#include "exfat/ExfatDirectoryWalker.h"
#include "exfat/ExfatVolume.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatVolume.h"
#include "log/Log.h"
#include "ntfs/NtfsVolume.h"
#include "platform/Format.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/DeepScan.h"
#include "scan/FileList.h"
#include "scan/PopulateExfat.h"
#include "scan/PopulateFAT.h"
#include "scan/PopulateNTFS.h"
#include "scan/RecycleBin.h"
#include "scan/ScanChecks.h"
#include "settings/Settings.h"

namespace tarvosk {

namespace {

std::unique_ptr<DriveFileList> newListWithRoot(DWORD handle, char16_t driveLetter, std::uint8_t kind) {
  auto list = std::make_unique<DriveFileList>();
  list->holdScanHandle(std::make_shared<ScanHandle>(kind, handle));
  FileEntry& root = list->Lookup(ROOT_ENTRY_ID);
  root.id = ROOT_ENTRY_ID;
  root.parentId = 0;
  root.handle = handle;
  root.driveLetter = driveLetter;
  root.isFolder = true;
  root.noDeletedFiles = true;
  root.kind = kind;
  return list;
}

bool scanPhysicalDrive(CFileList& lists, const std::u16string& path, ProgressWindow& window, std::uint64_t first,
                       std::uint64_t last) {
  window.setRange(0, 100);
  SetLastError(ERROR_SUCCESS);
  DWORD device = RAW_OpenDevice(static_cast<DWORD>(path[0] - 0x7B));
  if (device == INVALID_LAYER_HANDLE) {
    DWORD error = GetLastError();
    if (error == ERROR_SUCCESS) return false;
    LOG_Write(g_logAPP, ERROR, u"CFileList::BuildFileList(%s): FAT_OpenDevice() 失败", path);
    showScanError(cannotOpenDriveMessage(u"PhysicalDevice", systemErrorText(error)));
    return false;
  }
  auto list = newListWithRoot(device, path[0], ENTRY_KIND_RAW_DEVICE);
  if (last == 0) RAW_GetTotalSectors(device, &last);
  DeepScan(window, *list, list->Lookup(ROOT_ENTRY_ID), first, last);
  lists.StoreDriveList(path, std::move(list));
  return true;
}

// A volume layer's open failed: the user sees the system's text for the error, or "partition
// type not recognised" when the layer left no error. Returns false.
bool reportOpenFailure(const std::u16string& path, std::u16string_view opener) {
  DWORD error = GetLastError();
  if (error != ERROR_SUCCESS) {
    LOG_Write(g_logAPP, ERROR, u"CFileList::BuildFileList(%s): %s() 失败", path, opener);
    showScanError(cannotOpenDriveMessage(path, systemErrorText(error)));
  } else {
    showScanError(cannotOpenDriveMessage(path, std::u16string(loadString(res::IDS_PARTITION_TYPE_UNRECOGNIZED))));
  }
  return false;
}

// Stores a volume's finished list and marks the folders that hold no deleted file.
void storeWithDeletedFlags(CFileList& lists, const std::u16string& path, std::unique_ptr<DriveFileList> list) {
  DriveFileList& stored = *list;
  lists.StoreDriveList(path, std::move(list));
  ComputeDeletedFlags(stored, stored.Lookup(ROOT_ENTRY_ID));
}

bool scanFatVolume(CFileList& lists, const std::u16string& path, ProgressWindow& window, bool physical,
                   std::uint64_t first, std::uint64_t last, std::uint64_t totalBytes, std::uint64_t freeBytes) {
  LOG_Write(g_logAPP, INFO, u"CFileList::BuildFileList(%s): 驱动器是 FAT", path);
  SetLastError(ERROR_SUCCESS);
  DWORD volume = FAT_OpenDevice(path.c_str());
  if (volume == INVALID_LAYER_HANDLE) return reportOpenFailure(path, u"FAT_OpenDevice");
  window.setRange(0, 100);
  auto list = newListWithRoot(volume, path[0], ENTRY_KIND_FAT);
  FileEntry& root = list->Lookup(ROOT_ENTRY_ID);
  DWORD sectorSize = 0, clusterSize = 0;
  FAT_GetSectorSize(volume, &sectorSize);
  FAT_GetClusterSize(volume, &clusterSize);
  if (physical) {
    if (last == 0 && clusterSize != 0) last = totalBytes / clusterSize;
    DeepScan(window, *list, root, first, last);
  } else {
    DWORD dir = 0;
    if (FAT_OpenRootDirectory(volume, &dir) == LAYER_SUCCESS) {
      FatWalk walk;
      walk.window = &window;
      walk.list = list.get();
      walk.totalClusters = clusterSize ? static_cast<std::uint32_t>((totalBytes - freeBytes) / clusterSize) : 0;
      PopulateFAT(walk, root, dir);
    }
    if (settings().ScanRecycleBin) ListRecycleBin(path, *list);
  }
  storeWithDeletedFlags(lists, path, std::move(list));
  return true;
}

bool scanExfatVolume(CFileList& lists, const std::u16string& path, ProgressWindow& window, bool physical,
                     std::uint64_t first, std::uint64_t last, std::uint64_t totalBytes, std::uint64_t freeBytes) {
  LOG_Write(g_logAPP, INFO, u"CFileList::BuildFileList(%s): 驱动器是 exFAT", path);
  SetLastError(ERROR_SUCCESS);
  DWORD volume = EXFAT_OpenDevice(path.c_str());
  if (volume == INVALID_LAYER_HANDLE) return reportOpenFailure(path, u"EXFAT_OpenDevice");
  window.setRange(0, 100);
  auto list = newListWithRoot(volume, path[0], ENTRY_KIND_EXFAT);
  FileEntry& root = list->Lookup(ROOT_ENTRY_ID);
  DWORD clusterSize = 0;
  std::uint64_t clusterCount = 0;
  EXFAT_GetClusterSize(volume, &clusterSize);
  EXFAT_GetClusterCount(volume, &clusterCount);
  if (physical) {
    // Units are cluster numbers, which start at 2.
    if (last == 0) last = clusterCount + 2;
    DeepScan(window, *list, root, first, last);
  } else {
    DWORD dir = 0;
    if (EXFAT_OpenRootDirectory(volume, &dir) == LAYER_SUCCESS) {
      ExfatWalk walk;
      walk.window = &window;
      walk.list = list.get();
      walk.clusterSize = clusterSize;
      walk.totalClusters = clusterSize ? (totalBytes - freeBytes) / clusterSize : 0;
      walk.openFolders.push_back(EXFAT_GetVolumeEntry(volume)->boot.rootCluster);
      PopulateExfat(walk, root, dir);
    }
    if (settings().ScanRecycleBin) ListRecycleBin(path, *list);
  }
  storeWithDeletedFlags(lists, path, std::move(list));
  return true;
}

bool scanNtfsVolume(CFileList& lists, const std::u16string& path, ProgressWindow& window, bool physical,
                    std::uint64_t first, std::uint64_t last, std::uint64_t totalBytes) {
  LOG_Write(g_logAPP, INFO, u"CFileList::BuildFileList(%s): 驱动器是 NTFS", path);
  DWORD volume = OpenMFT(path.c_str());
  if (volume == kNtfsInvalidHandle) {
    showScanError(format(loadString(res::IDS_OPEN_DRIVE_NEEDS_ADMIN), path));
    return false;
  }
  std::uint64_t recordCount = 0;
  DWORD recordSize = 0;
  if (GetMFTRecordCount(volume, &recordCount) != 0 || GetMFTRecordSize(volume, &recordSize) != 0 || recordSize == 0) {
    CloseMFT(volume);
    return false;
  }
  window.setRange(0, 100);
  auto list = newListWithRoot(volume, path[0], ENTRY_KIND_NTFS);
  if (physical) {
    DWORD clusterSize = 0;
    GetNTFSClusterSize(volume, &clusterSize);
    if (last == 0 && clusterSize != 0) last = totalBytes / clusterSize;
    DeepScan(window, *list, list->Lookup(ROOT_ENTRY_ID), first, last);
    lists.StoreDriveList(path, std::move(list));
    return true;
  }
  EnumerateMFT(window, *list, volume, path[0], recordCount, recordSize);
  DriveFileList& stored = *list;
  lists.StoreDriveList(path, std::move(list));
  AttachOrphans(stored, volume, path[0]);
  // The flags come after the recycle bin, as on FAT: a folder whose only deleted files wait in
  // the recycle bin still holds deleted files, and must not be hidden as empty.
  if (settings().ScanRecycleBin) ListRecycleBin(path, stored);
  ComputeDeletedFlags(stored, stored.Lookup(ROOT_ENTRY_ID));
  return true;
}

}  // namespace

bool CFileList::BuildFileList(const std::u16string& drivePath, ProgressWindow& window, bool physical,
                              std::uint64_t first, std::uint64_t last) {
  LOG_Write(g_logAPP, INFO, u"CFileList::BuildFileList(%s)", drivePath);
  if (drivePath.empty()) return false;
  if (isPhysicalDrivePath(drivePath)) return scanPhysicalDrive(*this, drivePath, window, first, last);
  int type = PARTITION_TYPE_UNKNOWN;
  if (!IsScanPossible(drivePath, type)) return false;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  std::u16string root = drivePath + u"\\";
  if (!GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree)) total.QuadPart = totalFree.QuadPart = 0;
  if (type == PARTITION_TYPE_FAT)
    return scanFatVolume(*this, drivePath, window, physical, first, last, total.QuadPart, totalFree.QuadPart);
  if (type == PARTITION_TYPE_EXFAT)
    return scanExfatVolume(*this, drivePath, window, physical, first, last, total.QuadPart, totalFree.QuadPart);
  return scanNtfsVolume(*this, drivePath, window, physical, first, last, total.QuadPart);
}

}  // namespace tarvosk
