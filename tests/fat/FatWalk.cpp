#include "FatWalk.h"

#include <functional>

#include "fat/FatFileRecord.h"

namespace tarvosk::test {

namespace {

std::string shortFormOf(const FatFileRecord& r) {
  std::string base, ext;
  for (int i = 0; i < 8 && r.shortName[i] != ' '; ++i) base.push_back(static_cast<char>(r.shortName[i]));
  for (int i = 8; i < 11 && r.shortName[i] != ' '; ++i) ext.push_back(static_cast<char>(r.shortName[i]));
  if (!base.empty() && static_cast<unsigned char>(base[0]) == 0xE5) base[0] = '_';
  return ext.empty() ? base : base + "." + ext;
}

}  // namespace

std::vector<WalkedEntry> walkFolder(DWORD folderHandle, DWORD& endCode, int maxEntries) {
  std::vector<WalkedEntry> out;
  FatFileInfo info{};
  endCode = 0;
  for (int i = 0; i < maxEntries; ++i) {
    endCode = FAT_GetNextFile(folderHandle, &info);
    if (endCode != LAYER_SUCCESS) return out;
    WalkedEntry e;
    e.name = info.name;
    e.folder = info.folder != 0;
    e.deleted = info.deleted != 0;
    e.startCluster = info.startCluster;
    e.size = info.size;
    e.clusterCount = info.clusterCount;
    e.handle = info.handle;
    if (const FatFileRecord* r = FAT_GetFileRecord(info.handle)) {
      e.volumeLabel = (r->attributes & 0x08) && !(r->attributes & 0x10);
      e.longName = r->longName != 0;
      e.shortForm = shortFormOf(*r);
      e.clusterList = r->clusterList;
    }
    FAT_CloseHandle(info.handle);
    out.push_back(std::move(e));
  }
  return out;
}

WalkResult walkVolume(DWORD volumeHandle) {
  WalkResult result;
  DWORD root = 0;
  if (FAT_OpenRootDirectory(volumeHandle, &root) != LAYER_SUCCESS) return result;
  // Folders are walked through their own handles, which stay open while they are walked.
  std::function<void(DWORD, long, DWORD)> walk = [&](DWORD handle, long parent, DWORD depth) {
    FatFileInfo info{};
    for (int i = 0; i < 100000; ++i) {
      DWORD code = FAT_GetNextFile(handle, &info);
      if (code != LAYER_SUCCESS) {
        result.folderEndCodes.push_back(code);
        break;
      }
      WalkedEntry e;
      e.parentIndex = parent;
      e.name = info.name;
      e.folder = info.folder != 0;
      e.deleted = info.deleted != 0;
      e.startCluster = info.startCluster;
      e.size = info.size;
      e.clusterCount = info.clusterCount;
      e.handle = info.handle;
      e.depth = depth;
      if (const FatFileRecord* r = FAT_GetFileRecord(info.handle)) {
        e.volumeLabel = (r->attributes & 0x08) && !(r->attributes & 0x10);
        e.longName = r->longName != 0;
        e.shortForm = shortFormOf(*r);
        e.clusterList = r->clusterList;
      }
      result.entries.push_back(e);
      const bool dots = e.name == u"." || e.name == u"..";
      if (e.folder && !dots && !e.volumeLabel && depth < 16) {
        const std::size_t index = result.entries.size() - 1;
        walk(info.handle, static_cast<long>(index), depth + 1);
        // A deleted folder's list grows as far as its walk went on.
        if (const FatFileRecord* r = FAT_GetFileRecord(info.handle)) result.entries[index].clusterList = r->clusterList;
      }
      FAT_CloseHandle(info.handle);
    }
  };
  walk(root, -1, 0);
  FAT_CloseHandle(root);
  return result;
}

}  // namespace tarvosk::test
