#include "exfat/ExfatDirectoryWalker.h"

#include <algorithm>
#include <unordered_map>

#include "exfat/ExfatClusterRuns.h"
#include "exfat/ExfatFileRecord.h"
#include "exfat/ExfatVolume.h"
#include "log/Log.h"

using namespace std::string_view_literals;
using namespace tarvosk;

namespace {

constexpr std::size_t kEntry = exfatdir::kEntrySize;
constexpr std::size_t kLargestSet = (exfatdir::kMaxSecondaryCount + 1) * kEntry;

struct WalkerState {
  std::unordered_map<DWORD, ExfatFileRecord> records;
  DWORD counter = 0;
};

WalkerState& walker() {
  static WalkerState* s = new WalkerState;
  return *s;
}

DWORD newHandle() {
  WalkerState& s = walker();
  do {
    ++s.counter;
  } while (s.counter == 0 || s.records.count(s.counter));
  return s.counter;
}

ExfatFileRecord* findRecord(DWORD handle) {
  auto it = walker().records.find(handle);
  return it == walker().records.end() ? nullptr : &it->second;
}

// A deleted folder's clusters are walked only while nobody has taken them since.
void keepFreeClusters(ExfatVolumeEntry& volume, std::vector<ExfatRun>& runs) {
  std::vector<ExfatRun> kept;
  for (const ExfatRun& run : runs) {
    for (std::uint64_t c = run.first; c < run.first + run.count; ++c) {
      bool free = false;
      if (exfat::clusterFree(volume, c, free) != LAYER_SUCCESS || !free) {
        LOG_Write(g_logEXFAT, WARNING, u"EXFAT_GetNextFile(): cluster %I64d of a deleted folder is in use"sv, c);
        runs = std::move(kept);
        return;
      }
      exfat::appendCluster(kept, c);
    }
  }
}

// Reads a folder's entries: the root's chain, a live folder's extent or chain, a deleted
// folder's clusters that are still free. A read that fails ends the data there. False when
// nothing could be read.
bool loadFolder(ExfatVolumeEntry& volume, ExfatFileRecord& r) {
  const std::uint64_t clusterSize = volume.boot.clusterSize;
  std::vector<ExfatRun> runs;
  if (r.root) {
    exfat::chainRuns(volume, volume.boot.rootCluster, exfat::kMaxDirectoryBytes / clusterSize, runs);
  } else {
    exfat::fileRuns(volume, r.firstCluster, std::min(r.dataLength, exfat::kMaxDirectoryBytes), r.noFatChain, r.deleted,
                    runs);
    if (r.deleted) keepFreeClusters(volume, runs);
  }
  r.data.assign(static_cast<std::size_t>(exfat::clustersIn(runs) * clusterSize), 0);
  std::size_t at = 0;
  for (const ExfatRun& run : runs) {
    if (exfat::readClusters(volume, run.first, run.count, r.data.data() + at) != LAYER_SUCCESS) {
      LOG_Write(g_logEXFAT, ERROR, u"EXFAT_GetNextFile(): clusters from %I64d of the folder cannot be read"sv, run.first);
      break;
    }
    for (std::uint64_t c = 0; c < run.count; ++c) r.clusters.push_back(run.first + c);
    at += static_cast<std::size_t>(run.count * clusterSize);
  }
  r.data.resize(at);
  return at != 0;
}

std::uint64_t positionOf(const ExfatVolumeEntry& volume, const ExfatFileRecord& r, std::size_t entry) {
  const std::size_t byte = entry * kEntry;
  const std::uint64_t cluster = r.clusters[byte / volume.boot.clusterSize];
  return (volume.boot.clusterOffset(cluster) + byte % volume.boot.clusterSize) / kEntry;
}

// Reads length bytes of a cluster from within, in whole sectors, into out.
bool readClusterPart(ExfatVolumeEntry& volume, std::uint64_t cluster, std::uint64_t within, std::uint64_t length,
                     std::vector<std::uint8_t>& out) {
  const std::uint64_t sector = volume.boot.bytesPerSector;
  const std::uint64_t start = within / sector * sector;
  const std::uint64_t end = (within + length + sector - 1) / sector * sector;
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(end - start));
  if (!volume.boot.isHeapCluster(cluster) ||
      exfat::readVolume(volume, volume.boot.clusterOffset(cluster) + start, bytes.size(), bytes.data()) != LAYER_SUCCESS)
    return false;
  out.insert(out.end(), bytes.begin() + static_cast<std::ptrdiff_t>(within - start),
             bytes.begin() + static_cast<std::ptrdiff_t>(within - start + length));
  return true;
}

}  // namespace

DWORD EXFAT_OpenRootDirectory(DWORD volumeHandle, DWORD* fileHandle) {
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_OpenRootDirectory(%d)"sv, volumeHandle);
  if (!EXFAT_GetVolumeEntry(volumeHandle)) return LAYER_BAD_HANDLE;
  DWORD handle = newHandle();
  ExfatFileRecord& r = walker().records[handle];
  r.volumeHandle = volumeHandle;
  r.root = 1;
  r.folder = 1;
  if (fileHandle) *fileHandle = handle;
  return LAYER_SUCCESS;
}

DWORD EXFAT_GetNextFile(DWORD fileHandle, ExfatFileInfo* info) {
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_GetNextFile(%d)"sv, fileHandle);
  ExfatFileRecord* r = findRecord(fileHandle);
  ExfatVolumeEntry* volume = r ? EXFAT_GetVolumeEntry(r->volumeHandle) : nullptr;
  if (!volume || !info) return LAYER_BAD_HANDLE;
  if (!r->folder) return LAYER_NO_MORE;
  if (!r->loaded) {
    r->loaded = 1;
    if (!loadFolder(*volume, *r)) return LAYER_READ_FAILED;
  }
  const std::size_t entries = r->data.size() / kEntry;
  while (r->nextEntry < entries) {
    const std::size_t i = r->nextEntry;
    const ByteSpan rest(r->data.data() + i * kEntry, r->data.size() - i * kEntry);
    const std::uint8_t type = le8(rest, exfatdir::kEntryType);
    if (type == exfatdir::kEndOfDirectory) return LAYER_NO_MORE;
    ++r->nextEntry;
    if (!isFileEntryType(type)) continue;
    ExfatEntrySet set;
    if (EntrySetProblem problem = parseEntrySet(rest, set); problem != EntrySetProblem::None) {
      LOG_Write(g_logEXFAT, WARNING, u"EXFAT_GetNextFile(): entry %d is no usable set: %s"sv, static_cast<DWORD>(i),
                entrySetProblemText(problem));
      continue;
    }
    if (!set.checksumMatches) {
      // A deleted folder's free clusters may hold anything by now: there a set must prove itself.
      LOG_Write(g_logEXFAT, WARNING, u"EXFAT_GetNextFile(): entry %d named \"%s\" fails its set checksum%s"sv,
                static_cast<DWORD>(i), set.name, r->deleted ? u", left out" : u"");
      if (r->deleted) continue;
    }
    r->nextEntry = i + set.entryCount();
    const std::uint64_t position = positionOf(*volume, *r, i);
    const std::size_t firstPiece = i * kEntry / volume->boot.clusterSize;
    const std::size_t lastPiece = (r->nextEntry * kEntry - 1) / volume->boot.clusterSize;
    if (lastPiece != firstPiece) volume->setContinuations[position] = r->clusters[firstPiece + 1];

    DWORD handle = newHandle();
    ExfatFileRecord& child = walker().records[handle];
    child.volumeHandle = r->volumeHandle;
    child.deleted = (!set.inUse || r->deleted) ? 1 : 0;
    child.folder = set.isFolder() ? 1 : 0;
    child.noFatChain = set.noFatChain() ? 1 : 0;
    child.firstCluster = set.firstCluster;
    child.dataLength = set.dataLength;
    LOG_Write(g_logEXFAT, INFO, u"EXFAT_GetNextFile(): assigning handle %d for entry %I64d named \"%s\""sv, handle,
              position, set.name);
    info->handle = handle;
    info->deleted = child.deleted;
    info->setPosition = position;
    info->set = std::move(set);
    return LAYER_SUCCESS;
  }
  return LAYER_NO_MORE;
}

DWORD EXFAT_CloseHandle(DWORD fileHandle) {
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_CloseHandle(%d)"sv, fileHandle);
  if (walker().records.erase(fileHandle) == 0) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_CloseHandle(): cannot find file %d"sv, fileHandle);
    return LAYER_BAD_HANDLE;
  }
  return LAYER_SUCCESS;
}

DWORD EXFAT_ReadEntrySet(DWORD volumeHandle, std::uint64_t setPosition, ExfatEntrySet* set) {
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_ReadEntrySet(handle=%d, entry=%I64d)"sv, volumeHandle, setPosition);
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(volumeHandle);
  if (!volume || !set) return LAYER_BAD_HANDLE;
  const std::uint64_t heapStart = volume->boot.clusterOffset(kExfatFirstCluster);
  if (setPosition > UINT64_MAX / kEntry || setPosition * kEntry < heapStart) return LAYER_READ_FAILED;
  const std::uint64_t inHeap = setPosition * kEntry - heapStart;
  const std::uint64_t cluster = kExfatFirstCluster + inHeap / volume->boot.clusterSize;
  const std::uint64_t within = inHeap % volume->boot.clusterSize;
  const std::uint64_t here = std::min<std::uint64_t>(kLargestSet, volume->boot.clusterSize - within);
  std::vector<std::uint8_t> bytes;
  if (!readClusterPart(*volume, cluster, within, here, bytes)) return LAYER_READ_FAILED;
  // A set that runs on into the folder's next cluster: where the walk found it, else the cluster
  // that follows on the volume.
  if (here < kLargestSet) {
    auto it = volume->setContinuations.find(setPosition);
    const std::uint64_t next = it != volume->setContinuations.end() ? it->second : cluster + 1;
    readClusterPart(*volume, next, 0, std::min<std::uint64_t>(kLargestSet - here, volume->boot.clusterSize), bytes);
  }
  if (!isFileEntryType(le8(bytes, exfatdir::kEntryType)) || parseEntrySet(bytes, *set) != EntrySetProblem::None)
    return LAYER_READ_FAILED;
  return LAYER_SUCCESS;
}
