#include "scan/PopulateExfat.h"

#include <algorithm>

#include "exfat/ExfatDirectoryWalker.h"
#include "exfat/ExfatVolume.h"
#include "log/Log.h"
#include "scan/FileUnitLimits.h"

namespace tarvosk {

namespace {

constexpr std::uint64_t kEntriesPerProgressPoint = 256;
// Folders nested deeper than this are listed but not walked (a crafted volume could nest them
// until the stack runs out).
constexpr std::size_t kMaxFolderDepth = 1024;

bool repeatsAnOpenFolder(const ExfatWalk& walk, std::uint64_t firstCluster) {
  return std::find(walk.openFolders.begin(), walk.openFolders.end(), firstCluster) != walk.openFolders.end();
}

void listEntry(FileEntry& entry, FileEntry& parent, const ExfatFileInfo& info) {
  entry.id = info.setPosition;
  entry.parentId = parent.id;
  entry.driveLetter = parent.driveLetter;
  entry.handle = parent.handle;
  entry.kind = ENTRY_KIND_EXFAT;
  entry.isFolder = info.set.isFolder();
  entry.deleted = info.deleted != 0;
  entry.name = info.set.name;
  entry.size = entry.isFolder ? 0 : info.set.dataLength;
  exfatTimeToLocalDos(info.set.modified, entry.dosDate, entry.dosTime);
  parent.children.push_back(entry.id);
}

}  // namespace

std::uint8_t RateDeletedExfatFile(DWORD volume, const ExfatEntrySet& set) {
  DWORD clusterSize = 0;
  EXFAT_GetClusterSize(volume, &clusterSize);
  const std::uint64_t n = clusterSize ? unitsOfSize(set.dataLength, clusterSize) : 0;
  // A chained file is rated by the FAT rule, within its limit.
  if (n == 0 || (!set.noFatChain() && n > kMaxFatFileClusters)) return CHANCE_NOT_RECOVERABLE;
  std::uint64_t free = 0;
  // A bitmap that cannot answer counts the clusters as free, as an NTFS bitmap does.
  if (EXFAT_CountFreeClusters(volume, set.firstCluster, n, &free) == LAYER_READ_FAILED) free = n;
  if (free == 0) return CHANCE_NOT_RECOVERABLE;
  return free == n ? CHANCE_PROBABLY_GOOD : CHANCE_POOR;
}

DWORD PopulateExfat(ExfatWalk& walk, FileEntry& parent, DWORD dir) {
  LOG_Write(g_logAPP, INFO, u"PopulateExfat(RootDir=%d)", dir);
  DriveFileList& list = *walk.list;
  ExfatFileInfo info;
  while (EXFAT_GetNextFile(dir, &info) == LAYER_SUCCESS) {
    const bool folder = info.set.isFolder();
    if (!info.deleted && !folder) {
      if (walk.clusterSize) walk.doneClusters += unitsOfSize(info.set.dataLength, walk.clusterSize);
      EXFAT_CloseHandle(info.handle);
      continue;
    }
    // A folder that repeats one being walked, or a set reached a second time (two deleted
    // folders that held the same free cluster; a new entry has id 0), is left out.
    const bool loops = folder && repeatsAnOpenFolder(walk, info.set.firstCluster);
    FileEntry* entry = loops ? nullptr : &list.Lookup(info.setPosition);
    if (!entry || entry->id != 0) {
      EXFAT_CloseHandle(info.handle);
      continue;
    }
    listEntry(*entry, parent, info);
    if (++walk.listed % kEntriesPerProgressPoint == 0 && walk.totalClusters != 0) {
      walk.window->setPosition(static_cast<int>(std::min(walk.doneClusters, walk.totalClusters) * 100 / walk.totalClusters));
      walk.window->pumpOneMessage();
      if (walk.window->cancelled()) {
        EXFAT_CloseHandle(info.handle);
        return EXFAT_CloseHandle(dir);
      }
    }
    if (!folder) {
      EXFAT_CloseHandle(info.handle);
      entry->recoveryChance = RateDeletedExfatFile(entry->handle, info.set);
      continue;
    }
    parent.hasSubfolders = true;
    if (walk.openFolders.size() > kMaxFolderDepth) {
      LOG_Write(g_logAPP, WARNING, u"PopulateExfat(RootDir=%d): folder nested too deep, not walked", info.handle);
      EXFAT_CloseHandle(info.handle);
      continue;
    }
    walk.openFolders.push_back(info.set.firstCluster);
    PopulateExfat(walk, *entry, info.handle);
    walk.openFolders.pop_back();
  }
  return EXFAT_CloseHandle(dir);
}

}  // namespace tarvosk
