#include "scan/PopulateFAT.h"

#include "fat/ClusterChain.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatVolume.h"
#include "log/Log.h"
#include "scan/FileUnitLimits.h"

namespace tarvosk {

namespace {

constexpr std::uint64_t kEntriesPerProgressPoint = 256;
// Folders nested deeper than this are listed but not walked: a crafted volume could otherwise
// nest folders until the stack runs out.
constexpr int kMaxFolderDepth = 1024;

bool isDotEntry(const WCHAR* name) {
  return (name[0] == u'.' && name[1] == 0) || (name[0] == u'.' && name[1] == u'.' && name[2] == 0);
}

// A folder whose first cluster is an ancestor's would walk in a loop.
bool repeatsAnAncestor(DriveFileList& list, const FileEntry& parent, std::uint64_t firstCluster) {
  const FileEntry* a = &parent;
  for (int hops = 0; a->id != ROOT_ENTRY_ID && hops <= kMaxFolderDepth + 1; ++hops) {
    if (firstCluster == a->startPosition) return true;
    a = &list.Lookup(a->parentId);
  }
  return false;
}

}  // namespace

std::uint8_t RateDeletedFatFile(DWORD volume, std::uint64_t firstCluster, std::uint64_t size) {
  DWORD clusterSize = 0;
  FAT_GetClusterSize(volume, &clusterSize);
  if (clusterSize == 0) return CHANCE_NOT_RECOVERABLE;
  std::uint64_t n = unitsOfSize(size, clusterSize);
  if (n == 0 || n > kMaxFatFileClusters) return CHANCE_NOT_RECOVERABLE;
  std::uint64_t free = 0;
  for (std::uint64_t i = 0; i < n; ++i) {
    std::uint64_t entry = 0;  // an entry that cannot be read counts as free
    if (FAT_GetClusterChain(volume, firstCluster + i, &entry, 1) != LAYER_SUCCESS) entry = 0;
    if (entry == 0) ++free;
  }
  if (free == 0) return CHANCE_NOT_RECOVERABLE;
  return free == n ? CHANCE_PROBABLY_GOOD : CHANCE_POOR;
}

DWORD PopulateFAT(FatWalk& walk, FileEntry& parent, DWORD dir) {
  LOG_Write(g_logAPP, INFO, u"PopulateFAT(RootDir=%d): name not found", dir);
  DriveFileList& list = *walk.list;
  FatFileInfo info{};
  while (FAT_GetNextFile(dir, &info) == LAYER_SUCCESS) {
    if (isDotEntry(info.name)) {
      FAT_CloseHandle(info.handle);
      continue;
    }
    if (!info.deleted) {
      if (!info.folder) {
        walk.doneClusters += info.clusterCount;
        FAT_CloseHandle(info.handle);
        continue;
      }
    }
    if (repeatsAnAncestor(list, parent, info.startCluster)) {
      FAT_CloseHandle(info.handle);
      continue;
    }

    std::uint64_t id = walk.idCounter;
    FileEntry& entry = list.Lookup(id);
    entry.driveLetter = parent.driveLetter;
    entry.handle = parent.handle;
    entry.isFolder = info.folder != 0;
    entry.deleted = info.deleted != 0;
    entry.id = id;
    entry.parentId = parent.id;
    entry.startPosition = info.startCluster;
    if (info.name[0] == u'\u00E5') info.name[0] = u'?';
    entry.name = info.name;
    entry.size = info.size;
    entry.kind = ENTRY_KIND_FAT;
    entry.dosTime = info.time;
    entry.dosDate = info.date;
    parent.children.push_back(id);
    ++walk.idCounter;

    if (walk.idCounter % kEntriesPerProgressPoint == 0 && walk.totalClusters != 0) {
      // In 64 bits: done times 100 overflows 32 bits on volumes of more than 42 million clusters.
      walk.window->setPosition(static_cast<int>(std::uint64_t{walk.doneClusters} * 100 / walk.totalClusters));
      walk.window->pumpOneMessage();
      if (walk.window->cancelled()) {
        FAT_CloseHandle(info.handle);
        return FAT_CloseHandle(dir);
      }
    }

    if (entry.isFolder) {
      parent.hasSubfolders = true;
      if (walk.depth < kMaxFolderDepth) {
        ++walk.depth;
        PopulateFAT(walk, entry, info.handle);
        --walk.depth;
      } else {
        LOG_Write(g_logAPP, WARNING, u"PopulateFAT(RootDir=%d): folder nested too deep, not walked", info.handle);
        FAT_CloseHandle(info.handle);
      }
    } else {
      FAT_CloseHandle(info.handle);
      entry.recoveryChance = RateDeletedFatFile(entry.handle, entry.startPosition, entry.size);
    }
  }
  return FAT_CloseHandle(dir);
}

}  // namespace tarvosk
