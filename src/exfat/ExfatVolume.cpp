#include "exfat/ExfatVolume.h"

#include <algorithm>
#include <bit>

#include "device/FindFreeHandle.h"
#include "exfat/ExfatClusterRuns.h"
#include "exfat/ExfatEntrySet.h"
#include "log/Log.h"
#include "platform/Files.h"
#include "platform/WinError.h"

using namespace std::string_view_literals;
using namespace tarvosk;

namespace {

ExfatVolumeEntry g_volumes[EXFAT_MAX_VOLUMES];

// FAT and bitmap lookups read this much of the volume at once.
constexpr std::uint64_t kWindowBytes = 64 * 1024;
constexpr std::uint32_t kSmallestSector = 512;
constexpr std::uint32_t kLargestSector = 4096;
// An up-case table maps at most 65536 characters of 2 bytes; a compressed one is smaller.
constexpr std::uint64_t kMaxUpcaseBytes = 2 * 65536;

// A drive name is a letter and a colon, optionally followed by "\".
bool isDriveName(const WCHAR* name) {
  if (!name) return false;
  WCHAR c = name[0];
  bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
  if (!letter || name[1] != u':') return false;
  return name[2] == 0 || (name[2] == u'\\' && name[3] == 0);
}

const char16_t* bootProblemText(ExfatBootProblem problem) {
  switch (problem) {
    case ExfatBootProblem::None: return u"none";
    case ExfatBootProblem::NotExfat: return u"not an exFAT boot sector";
    case ExfatBootProblem::BadGeometry: return u"sector or cluster size out of range";
    case ExfatBootProblem::Overlap: return u"FAT, cluster heap and root directory do not fit the volume";
    case ExfatBootProblem::Checksum: return u"the boot checksum does not match";
  }
  return u"";
}

void releaseEntry(ExfatVolumeEntry& e) {
  if (e.file && e.file != INVALID_HANDLE_VALUE) CloseHandle(e.file);
  e = ExfatVolumeEntry{};
}

// The device's sector size: every read is made of whole ones.
DWORD deviceSectorSize(HANDLE file) {
  DISK_GEOMETRY geometry{};
  DWORD returned = 0;
  if (DeviceIoControl(file, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &geometry, sizeof geometry, &returned, nullptr) &&
      geometry.BytesPerSector >= kSmallestSector && geometry.BytesPerSector <= kLargestSector &&
      std::has_single_bit(geometry.BytesPerSector))
    return geometry.BytesPerSector;
  return kSmallestSector;
}

// Reads and checks the boot region that starts at sector index (0 main, 12 backup) of sectors
// of bytesPerSector bytes.
ExfatBootProblem readBootRegion(ExfatVolumeEntry& e, std::uint32_t bytesPerSector, std::uint32_t firstSector) {
  if (bytesPerSector < e.deviceSectorSize) return ExfatBootProblem::BadGeometry;
  std::vector<std::uint8_t> region(std::size_t{exfatboot::kRegionSectors} * bytesPerSector);
  if (exfat::readVolume(e, std::uint64_t{firstSector} * bytesPerSector, region.size(), region.data()) != LAYER_SUCCESS)
    return ExfatBootProblem::NotExfat;
  return checkExfatBootRegion(region, bytesPerSector, e.boot);
}

// The main region when it is sound, else the backup region: at the sector size the main boot
// sector gives first, then at the other sizes (that byte may be what is damaged).
bool readBootRegions(ExfatVolumeEntry& e, const WCHAR* shown) {
  std::vector<std::uint8_t> first(std::max<std::size_t>(exfatboot::kMinimumSize, e.deviceSectorSize));
  if (exfat::readVolume(e, 0, first.size(), first.data()) != LAYER_SUCCESS) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): ReadFile failed with code %d"sv, shown, GetLastError());
    return false;
  }
  const std::uint32_t shift = le8(first, exfatboot::kBytesPerSectorShift);
  const bool shiftUsable = shift >= exfatboot::kSmallestSectorShift && shift <= exfatboot::kLargestSectorShift;
  const std::uint32_t mainSector = shiftUsable ? 1u << shift : kSmallestSector;
  ExfatBootProblem main = readBootRegion(e, mainSector, 0);
  if (main == ExfatBootProblem::None) return true;
  LOG_Write(g_logEXFAT, WARNING, u"EXFAT_OpenDevice(%s): main boot region rejected: %s"sv, shown, bootProblemText(main));
  std::vector<std::uint32_t> sizes{mainSector};
  for (std::uint32_t size = kSmallestSector; size <= kLargestSector; size *= 2)
    if (size != mainSector) sizes.push_back(size);
  for (std::uint32_t size : sizes) {
    ExfatBootProblem backup = readBootRegion(e, size, exfatboot::kRegionSectors);
    if (backup == ExfatBootProblem::None) {
      LOG_Write(g_logEXFAT, WARNING, u"EXFAT_OpenDevice(%s): using the backup boot region"sv, shown);
      e.backupBootRegion = 1;
      return true;
    }
  }
  LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): no usable boot region"sv, shown);
  return false;
}

// Reads a critical structure's clusters (its chain, which mkfs writes; where the chain stops
// short, the clusters that follow) into bytes, at most maxBytes.
bool readStructure(ExfatVolumeEntry& e, std::uint64_t first, std::uint64_t length, std::vector<ExfatRun>& runs,
                   std::vector<std::uint8_t>* bytes) {
  const std::uint64_t wanted = (length + e.boot.clusterSize - 1) / e.boot.clusterSize;
  runs.clear();
  if (!e.boot.isHeapCluster(first) || exfat::chainRuns(e, first, wanted, runs) != LAYER_SUCCESS) return false;
  for (std::uint64_t have = exfat::clustersIn(runs), next = runs.back().first + runs.back().count; have < wanted;
       ++have, ++next) {
    if (!e.boot.isHeapCluster(next)) return false;
    exfat::appendCluster(runs, next);
  }
  if (!bytes) return true;
  bytes->assign(wanted * e.boot.clusterSize, 0);
  std::uint64_t at = 0;
  for (const ExfatRun& run : runs) {
    if (exfat::readClusters(e, run.first, run.count, bytes->data() + at) != LAYER_SUCCESS) return false;
    at += run.count * e.boot.clusterSize;
  }
  bytes->resize(length);
  return true;
}

void takeLabel(ExfatVolumeEntry& e, ByteSpan entry) {
  const std::size_t count = std::min<std::size_t>(le8(entry, exfatdir::kLabelLength), exfatdir::kMaxLabelChars);
  e.label.clear();
  for (std::size_t i = 0; i < count; ++i) e.label.push_back(static_cast<char16_t>(le16(entry, exfatdir::kLabelChars + 2 * i)));
}

void takeUpcaseTable(ExfatVolumeEntry& e, ByteSpan entry, const WCHAR* shown) {
  const std::uint64_t length = le64(entry, exfatdir::kCriticalDataLength);
  std::vector<ExfatRun> runs;
  std::vector<std::uint8_t> table;
  if (length == 0 || length > kMaxUpcaseBytes ||
      !readStructure(e, le32(entry, exfatdir::kCriticalFirstCluster), length, runs, &table)) {
    LOG_Write(g_logEXFAT, WARNING, u"EXFAT_OpenDevice(%s): the up-case table cannot be read"sv, shown);
    return;
  }
  if (upcaseTableChecksum(table) != le32(entry, exfatdir::kTableChecksum)) {
    LOG_Write(g_logEXFAT, WARNING, u"EXFAT_OpenDevice(%s): the up-case table's checksum does not match"sv, shown);
    return;
  }
  e.upcase.load(table);
}

void takeBitmap(ExfatVolumeEntry& e, ByteSpan entry, const WCHAR* shown) {
  const std::uint64_t length = le64(entry, exfatdir::kCriticalDataLength);
  const std::uint64_t needed = (std::uint64_t{e.boot.clusterCount} + 7) / 8;
  if (length < needed || !readStructure(e, le32(entry, exfatdir::kCriticalFirstCluster), needed, e.bitmapRuns, nullptr)) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): the allocation bitmap of %I64d bytes cannot be used"sv, shown,
              length);
    e.bitmapRuns.clear();
    return;
  }
  e.bitmapBytes = needed;
}

// The root directory's critical entries: the allocation bitmap (of the active FAT), the up-case
// table and the volume label. Read until the end-of-directory entry.
void readRootEntries(ExfatVolumeEntry& e, const WCHAR* shown) {
  std::vector<ExfatRun> runs;
  exfat::chainRuns(e, e.boot.rootCluster, exfat::kMaxDirectoryBytes / e.boot.clusterSize, runs);
  const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(e.boot.clusterSize, kWindowBytes));
  std::vector<std::uint8_t> bytes(piece);
  const bool secondFat = e.boot.numberOfFats == 2 && (e.boot.volumeFlags & 1);
  bool bitmap = false, upcase = false;
  for (const ExfatRun& run : runs) {
    const std::uint64_t start = e.boot.clusterOffset(run.first);
    for (std::uint64_t at = 0; at < run.count * e.boot.clusterSize; at += piece) {
      if (exfat::readVolume(e, start + at, piece, bytes.data()) != LAYER_SUCCESS) return;
      for (std::size_t slot = 0; slot < piece; slot += exfatdir::kEntrySize) {
        ByteSpan entry(bytes.data() + slot, exfatdir::kEntrySize);
        std::uint8_t type = le8(entry, exfatdir::kEntryType);
        if (type == exfatdir::kEndOfDirectory) return;
        if (type == exfatdir::kVolumeLabel) takeLabel(e, entry);
        if (type == exfatdir::kUpcaseTable && !upcase) {
          upcase = true;
          takeUpcaseTable(e, entry, shown);
        }
        if (type == exfatdir::kAllocationBitmap && !bitmap && (le8(entry, exfatdir::kBitmapFlags) & 1) == secondFat) {
          bitmap = true;
          takeBitmap(e, entry, shown);
        }
      }
    }
  }
}

// Makes sure the window holds the bytes at offset (in a stretch of windowBytes aligned to it
// from base, not past end) and returns their place in it, or SIZE_MAX when the read fails.
std::size_t windowAt(ExfatVolumeEntry& e, ExfatReadWindow& window, std::uint64_t base, std::uint64_t end,
                     std::uint64_t windowBytes, std::uint64_t offset) {
  const std::uint64_t start = base + (offset - base) / windowBytes * windowBytes;
  if (window.offset != start) {
    const std::uint64_t length = std::min(windowBytes, end - start);
    window.offset = ~0ull;
    window.bytes.resize(static_cast<std::size_t>(length));
    if (exfat::readVolume(e, start, length, window.bytes.data()) != LAYER_SUCCESS) return SIZE_MAX;
    window.offset = start;
  }
  return static_cast<std::size_t>(offset - start);
}

// The bitmap byte that holds a heap cluster's bit, through the bitmap window: a stretch of the
// run of bitmap clusters that holds it (the bitmap mostly lies in one run).
const std::uint8_t* bitmapByte(ExfatVolumeEntry& e, std::uint64_t cluster) {
  std::uint64_t byte = (cluster - kExfatFirstCluster) / 8;
  for (const ExfatRun& run : e.bitmapRuns) {
    const std::uint64_t runBytes = run.count * e.boot.clusterSize;
    if (byte >= runBytes) {
      byte -= runBytes;
      continue;
    }
    const std::uint64_t base = e.boot.clusterOffset(run.first);
    std::size_t at = windowAt(e, e.bitmapWindow, base, base + runBytes, kWindowBytes, base + byte);
    return at == SIZE_MAX ? nullptr : e.bitmapWindow.bytes.data() + at;
  }
  return nullptr;
}

bool openDevice(ExfatVolumeEntry& e, const WCHAR* driveName) {
  const std::u16string path = u"\\\\.\\" + std::u16string(driveName, 2);
  std::copy(path.begin(), path.end(), e.devicePath);
  e.file = CreateFileW(e.devicePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (e.file == INVALID_HANDLE_VALUE) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): CreateFile failed with code %d"sv, driveName, GetLastError());
    e.file = nullptr;
    return false;
  }
  e.deviceSectorSize = deviceSectorSize(e.file);
  if (!readBootRegions(e, driveName)) return false;
  LOG_Write(g_logEXFAT, INFO,
            u"EXFAT_OpenDevice(%s): BytesPerSector=%d, ClusterSize=%d, ClusterCount=%d, FatOffset=%d, ClusterHeapOffset=%d"sv,
            driveName, e.boot.bytesPerSector, e.boot.clusterSize, e.boot.clusterCount, e.boot.fatOffset,
            e.boot.clusterHeapOffset);
  readRootEntries(e, driveName);
  return true;
}

}  // namespace

namespace tarvosk::exfat {

DWORD readVolume(ExfatVolumeEntry& volume, std::uint64_t offset, std::uint64_t length, void* buffer) {
  LOG_Write(g_logEXFAT, INFO, u"readVolume(handle=%d): reading %I64d bytes at %I64d"sv, volume.handle, length, offset);
  if (length > 0xFFFFFFFFull || offset > static_cast<std::uint64_t>(INT64_MAX) || !buffer) {
    LOG_Write(g_logEXFAT, ERROR, u"readVolume(handle=%d): ReadFile() failed with code %d"sv, volume.handle,
              ERROR_INVALID_PARAMETER);
    return LAYER_READ_FAILED;
  }
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  DWORD got = 0;
  if (!SetFilePointerEx(volume.file, position, nullptr, FILE_BEGIN) ||
      !ReadFile(volume.file, buffer, static_cast<DWORD>(length), &got, nullptr) || got != length) {
    // A short read leaves stale bytes in the buffer: a failure, never a success.
    DWORD code = got != length && GetLastError() == ERROR_SUCCESS ? ERROR_HANDLE_EOF : GetLastError();
    LOG_Write(g_logEXFAT, ERROR, u"readVolume(handle=%d): ReadFile() failed with code %d"sv, volume.handle, code);
    return LAYER_READ_FAILED;
  }
  return LAYER_SUCCESS;
}

DWORD readClusters(ExfatVolumeEntry& volume, std::uint64_t firstCluster, std::uint64_t count, void* buffer) {
  if (count == 0) return LAYER_SUCCESS;
  if (!volume.boot.isHeapCluster(firstCluster) || !volume.boot.isHeapCluster(firstCluster + count - 1)) {
    LOG_Write(g_logEXFAT, ERROR, u"readClusters(handle=%d): clusters %I64d to %I64d lie outside the cluster heap"sv,
              volume.handle, firstCluster, firstCluster + count - 1);
    return LAYER_READ_FAILED;
  }
  return readVolume(volume, volume.boot.clusterOffset(firstCluster), count * volume.boot.clusterSize, buffer);
}

DWORD fatEntry(ExfatVolumeEntry& volume, std::uint64_t cluster, std::uint64_t& next) {
  const std::uint64_t fatStart = volume.boot.activeFatSector() * volume.boot.bytesPerSector;
  const std::uint64_t fatEnd = fatStart + std::uint64_t{volume.boot.fatLength} * volume.boot.bytesPerSector;
  if (!volume.boot.isHeapCluster(cluster)) {
    LOG_Write(g_logEXFAT, ERROR, u"fatEntry(handle=%d): cluster %I64d lies outside the cluster heap"sv, volume.handle, cluster);
    return LAYER_READ_FAILED;
  }
  std::size_t at = windowAt(volume, volume.fatWindow, fatStart, fatEnd, kWindowBytes, fatStart + cluster * 4);
  if (at == SIZE_MAX) {
    LOG_Write(g_logEXFAT, ERROR, u"fatEntry(handle=%d): the FAT cannot be read"sv, volume.handle);
    return LAYER_READ_FAILED;
  }
  next = le32(volume.fatWindow.bytes, at);
  return LAYER_SUCCESS;
}

DWORD clusterFree(ExfatVolumeEntry& volume, std::uint64_t cluster, bool& free) {
  if (!volume.boot.isHeapCluster(cluster)) return LAYER_BAD_HANDLE;
  const std::uint8_t* byte = bitmapByte(volume, cluster);
  if (!byte) return LAYER_READ_FAILED;
  free = (*byte & (1u << ((cluster - kExfatFirstCluster) & 7))) == 0;
  return LAYER_SUCCESS;
}

DWORD countFreeClusters(ExfatVolumeEntry& volume, std::uint64_t first, std::uint64_t count, std::uint64_t& freeCount) {
  freeCount = 0;
  const std::uint64_t end = std::min(first + std::min(count, UINT64_MAX - first), kExfatFirstCluster + volume.boot.clusterCount);
  for (std::uint64_t c = std::max(first, kExfatFirstCluster); c < end;) {
    const std::uint8_t* byte = bitmapByte(volume, c);
    if (!byte) return LAYER_READ_FAILED;
    // A whole byte at once where the range covers it.
    const unsigned bit = static_cast<unsigned>((c - kExfatFirstCluster) & 7);
    if (bit == 0 && end - c >= 8) {
      freeCount += 8 - static_cast<unsigned>(std::popcount(*byte));
      c += 8;
      continue;
    }
    if (!(*byte & (1u << bit))) ++freeCount;
    ++c;
  }
  return LAYER_SUCCESS;
}

bool nextFreeCluster(ExfatVolumeEntry& volume, std::uint64_t from, std::uint64_t end, std::uint64_t& found) {
  end = std::min(end, kExfatFirstCluster + volume.boot.clusterCount);
  for (std::uint64_t c = std::max(from, kExfatFirstCluster); c < end;) {
    const std::uint8_t* byte = bitmapByte(volume, c);
    if (!byte) return false;
    const unsigned bit = static_cast<unsigned>((c - kExfatFirstCluster) & 7);
    if (bit == 0 && *byte == 0xFF) {  // eight clusters in use
      c += 8;
      continue;
    }
    if (!(*byte & (1u << bit))) {
      found = c;
      return true;
    }
    ++c;
  }
  return false;
}

}  // namespace tarvosk::exfat

ExfatVolumeEntry* EXFAT_GetVolumeEntry(DWORD handle) {
  if (handle >= EXFAT_MAX_VOLUMES || !g_volumes[handle].inUse) return nullptr;
  return &g_volumes[handle];
}

DWORD EXFAT_OpenDevice(const WCHAR* driveName) {
  const WCHAR* shown = driveName ? driveName : u"";
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_OpenDevice(%s)"sv, shown);
  DWORD handle = FindFreeHandle(g_logEXFAT, g_volumes);
  if (handle == INVALID_LAYER_HANDLE) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): FindFreeHandle failed"sv, shown);
    return INVALID_LAYER_HANDLE;
  }
  if (!isDriveName(driveName)) {
    LOG_Write(g_logEXFAT, ERROR, u"EXFAT_OpenDevice(%s): not a drive name (a letter and a colon)"sv, shown);
    return INVALID_LAYER_HANDLE;
  }
  ExfatVolumeEntry& e = g_volumes[handle];
  e = ExfatVolumeEntry{};
  e.handle = handle;
  if (!openDevice(e, driveName)) {
    releaseEntry(e);
    return INVALID_LAYER_HANDLE;
  }
  e.inUse = 1;
  return handle;
}

DWORD EXFAT_CloseDevice(DWORD handle) {
  LOG_Write(g_logEXFAT, INFO, u"EXFAT_CloseDevice(%d)"sv, handle);
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  releaseEntry(*e);
  return LAYER_SUCCESS;
}

DWORD EXFAT_GetSectorSize(DWORD handle, DWORD* sectorSize) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (sectorSize) *sectorSize = e->boot.bytesPerSector;
  return LAYER_SUCCESS;
}

DWORD EXFAT_GetClusterSize(DWORD handle, DWORD* clusterSize) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (clusterSize) *clusterSize = e->boot.clusterSize;
  return LAYER_SUCCESS;
}

DWORD EXFAT_GetClusterCount(DWORD handle, std::uint64_t* count) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  if (count) *count = e->boot.clusterCount;
  return LAYER_SUCCESS;
}

DWORD EXFAT_ReadClusters(DWORD handle, std::uint64_t firstCluster, DWORD count, void* buffer) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  return exfat::readClusters(*e, firstCluster, count, buffer);
}

DWORD EXFAT_GetClusterEntry(DWORD handle, std::uint64_t cluster, std::uint64_t* next) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  std::uint64_t value = 0;
  DWORD code = exfat::fatEntry(*e, cluster, value);
  if (code == LAYER_SUCCESS && next) *next = value;
  return code;
}

DWORD EXFAT_IsClusterFree(DWORD handle, std::uint64_t cluster, DWORD* isFree) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  bool free = false;
  DWORD code = exfat::clusterFree(*e, cluster, free);
  if (code == LAYER_SUCCESS && isFree) *isFree = free ? 1 : 0;
  return code;
}

DWORD EXFAT_CountFreeClusters(DWORD handle, std::uint64_t first, std::uint64_t count, std::uint64_t* freeCount) {
  ExfatVolumeEntry* e = EXFAT_GetVolumeEntry(handle);
  if (!e) return LAYER_BAD_HANDLE;
  std::uint64_t n = 0;
  DWORD code = exfat::countFreeClusters(*e, first, count, n);
  if (freeCount) *freeCount = n;
  return code;
}
