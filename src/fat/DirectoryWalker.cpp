#include "fat/DirectoryWalker.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "fat/ClusterChain.h"
#include "fat/DirectoryEntry.h"
#include "fat/FatEntry.h"
#include "fat/FatFileRecord.h"
#include "fat/FatVolume.h"
#include "fat/FolderContinuation.h"
#include "log/Log.h"

using namespace std::string_view_literals;

namespace {

using namespace tarvosk::fatdir;
using tarvosk::ByteSpan;

constexpr std::size_t kMaxFragments = 16;
constexpr std::size_t kMovedChars = FAT_NAME_CHARS - kFragmentChars;  // 247

std::unordered_map<DWORD, FatFileRecord>& records() {
  static std::unordered_map<DWORD, FatFileRecord> map;
  return map;
}

DWORD g_handleCounter = 0;

// The counter plus 1, advanced past any number still in use (and past 0, which is no handle).
DWORD newHandle() {
  auto& map = records();
  DWORD h = g_handleCounter + 1;
  while (h == 0 || map.count(h)) ++h;
  g_handleCounter = h;
  return h;
}

bool isDataCluster(const FatVolumeEntry& volume, std::uint64_t cluster) {
  return cluster >= tarvosk::kFirstDataCluster && cluster < volume.layout.clusterCount + tarvosk::kFirstDataCluster;
}

bool readClusterInto(FatVolumeEntry& volume, std::uint64_t cluster, std::uint8_t* to) {
  std::uint64_t first = __GetFirstSectorOfCluster(volume, cluster);
  return __ReadSectors(volume, first, volume.layout.sectorsPerCluster, to) == LAYER_SUCCESS;
}

// A deleted folder's list holds its first cluster only (its chain was cleared), so the walk of
// its last listed cluster looks at the cluster after it: one that is free and reads as more of the
// same folder joins the list. The first half of the buffer holds the last listed cluster; the
// cluster after it is read into the second half. False when the folder ends with its list.
bool continueDeletedFolder(FatVolumeEntry& volume, FatFileRecord& record) {
  const ByteSpan last(volume.clusterBuffer, volume.clusterSize);
  if (tarvosk::holdsEndOfFolder(last)) return false;
  const std::uint64_t candidate = record.clusterList.back() + 1;
  if (record.clusterList.size() >= tarvosk::maxFolderClusters(volume.clusterSize)) {
    LOG_Write(g_logFAT, WARNING, u"FAT_GetNextFile(): deleted folder followed through %d clusters, not beyond"sv,
              record.clusterList.size());
    return false;
  }
  if (!isDataCluster(volume, candidate)) return false;
  std::uint64_t entry = 0;
  DWORD end = 0;
  if (__GetClusterEntryInFAT(volume, candidate, &entry, &end) != LAYER_SUCCESS || entry != 0) {
    LOG_Write(g_logFAT, INFO, u"FAT_GetNextFile(): deleted folder ends before cluster %I64d, which is not free"sv,
              candidate);
    return false;
  }
  if (candidate != volume.nextCluster) {
    volume.nextCluster = FAT_NO_CLUSTER;
    if (!readClusterInto(volume, candidate, volume.clusterBuffer + volume.clusterSize)) {
      LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): cannot read cluster %I64d"sv, candidate);
      return false;
    }
    volume.nextCluster = candidate;
  }
  const tarvosk::ContinuationJudgement judgement =
      tarvosk::judgeFolderContinuation(last, ByteSpan(volume.clusterBuffer + volume.clusterSize, volume.clusterSize),
                                       {volume.layout.clusterCount, volume.clusterSize});
  if (judgement.verdict != tarvosk::ContinuationVerdict::Continues) {
    LOG_Write(g_logFAT, INFO, u"FAT_GetNextFile(): deleted folder ends before cluster %I64d (slot %d): %s"sv, candidate,
              judgement.slot, tarvosk::continuationVerdictText(judgement.verdict));
    return false;
  }
  LOG_Write(g_logFAT, INFO, u"FAT_GetNextFile(): deleted folder goes on in cluster %I64d"sv, candidate);
  record.clusterList.push_back(candidate);
  return true;
}

}  // namespace

DWORD FAT_OpenRootDirectory(DWORD volumeHandle, DWORD* fileHandle) {
  LOG_Write(g_logFAT, INFO, u"FAT_OpenRootDirectory()"sv);
  FatVolumeEntry* volume = FAT_GetVolumeEntry(volumeHandle);
  if (!volume) return LAYER_BAD_HANDLE;
  FatFileRecord record;
  record.volumeHandle = volumeHandle;
  record.root = 1;
  if (volume->fatType == static_cast<DWORD>(tarvosk::FatType::Fat32)) {
    record.startCluster = volume->layout.rootCluster;
    record.folder = 1;
    __PopulateClusterChain(record);
  } else {
    record.rootDirectory.assign(static_cast<std::size_t>(volume->rootDirSectors) * volume->sectorSize, 0);
    if (!record.rootDirectory.empty() &&
        __ReadSectors(*volume, __GetRootDirSecNum(*volume), volume->rootDirSectors, record.rootDirectory.data()) !=
            LAYER_SUCCESS) {
      // Walking stale or zeroed bytes would list a root that is not there.
      LOG_Write(g_logFAT, ERROR, u"FAT_OpenRootDirectory(): cannot read the root directory"sv);
      return LAYER_READ_FAILED;
    }
  }
  DWORD h = newHandle();
  records().emplace(h, std::move(record));
  if (fileHandle) *fileHandle = h;
  return LAYER_SUCCESS;
}

DWORD FAT_GetNextFile(DWORD fileHandle, FatFileInfo* info) {
  LOG_Write(g_logFAT, INFO, u"FAT_GetNextFile()"sv);
  auto it = records().find(fileHandle);
  if (it == records().end() || !info) return LAYER_BAD_HANDLE;
  FatFileRecord& rec = it->second;
  FatVolumeEntry* volume = FAT_GetVolumeEntry(rec.volumeHandle);
  if (!volume) return LAYER_BAD_HANDLE;

  // The directory data at hand: the fixed root area, or the two clusters of the volume's buffer.
  const std::uint8_t* data = nullptr;
  std::size_t slotsAtHand = 0;
  std::size_t slot = 0;
  const bool fixedRoot = rec.root && volume->fatType != static_cast<DWORD>(tarvosk::FatType::Fat32);
  if (fixedRoot) {
    slotsAtHand = rec.rootDirectory.size() / kSlotSize;
    if (rec.nextEntryIndex >= slotsAtHand) return LAYER_NO_MORE;
    data = rec.rootDirectory.data();
    slot = rec.nextEntryIndex;
  } else {
    const std::size_t perCluster = volume->clusterSize / kSlotSize;
    const std::size_t position = rec.nextEntryIndex / perCluster;
    slot = rec.nextEntryIndex % perCluster;
    if (rec.clusterList.empty() || position >= rec.clusterList.size()) {
      LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): cluster=%d greater than a root dir cluster size"sv, position);
      return LAYER_BAD_HANDLE;
    }
    const std::uint64_t cluster = rec.clusterList[position];
    if (!isDataCluster(*volume, cluster)) {
      // A live folder's list ends with the end-of-chain value read from its last cluster's
      // entry: reaching it means every cluster of the folder has been walked.
      if (position > 0) return LAYER_NO_MORE;
      LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): cluster=%I64d is not a cluster of the volume"sv, cluster);
      return LAYER_READ_FAILED;
    }
    if (cluster != volume->currentCluster && cluster == volume->nextCluster) {
      // The walk moved on into the cluster the second half holds: it becomes the first half
      // (the volume is only read, so the bytes held are the bytes on disk).
      std::memcpy(volume->clusterBuffer, volume->clusterBuffer + volume->clusterSize, volume->clusterSize);
      volume->currentCluster = cluster;
    }
    if (cluster != volume->currentCluster) {
      volume->currentCluster = FAT_NO_CLUSTER;
      if (!readClusterInto(*volume, cluster, volume->clusterBuffer)) {
        LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): cannot read cluster %I64d"sv, cluster);
        return LAYER_READ_FAILED;
      }
      volume->currentCluster = cluster;
    }
    slotsAtHand = perCluster;
    const bool lastListed = position + 1 == rec.clusterList.size();
    if (lastListed && rec.deleted && rec.folder && !rec.continuationEnded && !continueDeletedFolder(*volume, rec))
      rec.continuationEnded = 1;
    if (position + 1 < rec.clusterList.size()) {
      const std::uint64_t following = rec.clusterList[position + 1];
      if (following != 0 && isDataCluster(*volume, following)) {
        if (following != volume->nextCluster) {
          volume->nextCluster = FAT_NO_CLUSTER;
          if (readClusterInto(*volume, following, volume->clusterBuffer + volume->clusterSize))
            volume->nextCluster = following;
        }
        if (following == volume->nextCluster) slotsAtHand = 2 * perCluster;
      }
    }
    data = volume->clusterBuffer;
  }
  auto slotAt = [&](std::size_t s) { return ByteSpan(data + s * kSlotSize, kSlotSize); };

  if (!rec.root) {
    ByteSpan first = slotAt(slot);
    if (rec.nextEntryIndex == 0 && first[0] != '.') {
      LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): first entry of a folder must be \".\""sv);
      return LAYER_READ_FAILED;
    }
    if (rec.nextEntryIndex == 1 && (first[0] != '.' || first[1] != '.')) {
      LOG_Write(g_logFAT, ERROR, u"FAT_GetNextFile(): second entry of a folder dir must be \"..\""sv);
      return LAYER_READ_FAILED;
    }
  }

  std::memset(info->name, 0, sizeof info->name);
  char16_t gathered[FAT_NAME_CHARS] = {};
  std::size_t fragments = 0;
  for (; slot < slotsAtHand; ++slot) {
    ByteSpan entry = slotAt(slot);
    if (entry[0] == kEndOfDirectory) return LAYER_NO_MORE;
    if (tarvosk::isLongNameFragment(entry)) {
      if (fragments == kMaxFragments) {
        std::fill(std::begin(gathered), std::end(gathered), u'\0');
        fragments = 0;
        ++rec.nextEntryIndex;
        continue;
      }
      if (fragments > 0) {
        std::memmove(gathered + kFragmentChars, gathered, kMovedChars * sizeof(char16_t));
        std::fill(gathered, gathered + kFragmentChars, u'\0');
      }
      char16_t chars[kFragmentChars] = {};
      tarvosk::copyFragmentCharacters(entry, chars);
      std::copy(std::begin(chars), std::end(chars), gathered);
      ++fragments;
      ++rec.nextEntryIndex;
      continue;
    }
    if (rec.deleted && rec.nextEntryIndex > 1 && !tarvosk::hasValidShortNameCharacters(entry)) {
      LOG_Write(g_logFAT, WARNING, u"FAT_GetNextFile(): %d is not a valid entry"sv, rec.nextEntryIndex);
      return LAYER_READ_FAILED;
    }
    ++rec.nextEntryIndex;
    const bool folder = (entry[kAttributes] & kAttributeFolder) != 0;
    const bool deleted = entry[0] == kDeletedMark || rec.deleted;
    if (gathered[0] != u'\0') {
      std::copy_n(gathered, FAT_NAME_CHARS - 1, info->name);
    } else {
      std::u16string shortName = tarvosk::shortEntryName(entry, folder);
      std::copy(shortName.begin(), shortName.end(), info->name);
    }
    FatFileRecord child;
    child.volumeHandle = rec.volumeHandle;
    child.folder = folder ? 1 : 0;
    child.startCluster = tarvosk::startClusterOf(entry);
    child.deleted = deleted ? 1 : 0;
    child.attributes = entry[kAttributes];
    std::copy_n(entry.begin(), kNameLength, child.shortName);
    child.caseFlags = entry[kCaseFlags];
    child.longName = gathered[0] != u'\0' ? 1 : 0;
    const DWORD h = newHandle();
    LOG_Write(g_logFAT, INFO, u"FAT_GetNextFile(): assigning handle %d for entry %d named \"%s\""sv, h,
              rec.nextEntryIndex, static_cast<const char16_t*>(info->name));
    info->handle = h;
    info->folder = child.folder;
    info->deleted = child.deleted;
    info->size = tarvosk::le32(entry, kFileSize);
    info->time = tarvosk::le16(entry, kTime);
    info->date = tarvosk::le16(entry, kDate);
    info->startCluster = child.startCluster;
    __PopulateClusterChain(child);
    info->clusterCount = static_cast<DWORD>(child.clusterList.size());
    // The child record joins the map last; rec (a map element) stays valid across the insertion.
    records().emplace(h, std::move(child));
    return LAYER_SUCCESS;
  }
  // The data at hand ended inside a run of long-name fragments (or at a full last slot): the
  // folder ends here rather than reading past its buffer.
  return LAYER_NO_MORE;
}

DWORD FAT_CloseHandle(DWORD fileHandle) {
  LOG_Write(g_logFAT, INFO, u"FAT_CloseHandle(%d)"sv, fileHandle);
  auto it = records().find(fileHandle);
  if (it == records().end()) {
    LOG_Write(g_logFAT, ERROR, u"FAT_CloseHandle(): cannot find file %d"sv, fileHandle);
    return LAYER_BAD_HANDLE;
  }
  records().erase(it);
  return LAYER_SUCCESS;
}

const FatFileRecord* FAT_GetFileRecord(DWORD fileHandle) {
  auto it = records().find(fileHandle);
  return it == records().end() ? nullptr : &it->second;
}
