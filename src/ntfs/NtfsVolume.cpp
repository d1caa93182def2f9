#include "ntfs/NtfsVolume.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "platform/Files.h"
#include "platform/Saturating.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;

namespace {

std::array<NtfsVolumeEntry, kNtfsTableSize> g_volumes;

// Records of 256 bytes up to 64 KiB are accepted; anything else is a damaged boot sector.
constexpr DWORD kMinRecordSize = 256;
constexpr DWORD kMaxRecordSize = 65536;
// The stretch of the $MFT read at once. Above the disk source's largest read-ahead request, so
// that the records come straight into the window, copied once.
constexpr DWORD kMftWindowBytes = 128 * 1024;
// The $Bitmap clusters kept: all of them on a volume of up to 8 GiB with 4 KiB clusters.
constexpr std::size_t kBitmapCacheBytes = 256 * 1024;
constexpr std::size_t kMaxDriveName = 250;

DWORD addressOf(const NtfsVolumeEntry& entry) {
  return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(&entry));
}

BYTE* allocateBuffer(std::size_t size) {
  return static_cast<BYTE*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

void freeBuffer(BYTE*& buffer) {
  if (buffer) VirtualFree(buffer, 0, MEM_RELEASE);
  buffer = nullptr;
}

bool setDevicePath(NtfsVolumeEntry& entry, const WCHAR* driveName) {
  std::u16string path = u"\\\\.\\";
  path += driveName;
  if (path.size() >= entry.devicePath.size()) return false;
  std::fill(entry.devicePath.begin(), entry.devicePath.end(), u'\0');
  std::copy(path.begin(), path.end(), entry.devicePath.begin());
  return true;
}

// Opens the device and reads its first cluster into a fresh boot buffer.
bool readBootCluster(NtfsVolumeEntry& entry) {
  entry.bootBuffer = allocateBuffer(entry.clusterSize);
  if (!entry.bootBuffer) return false;
  entry.file = CreateFileW(entry.devicePath.data(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (entry.file == INVALID_HANDLE_VALUE) {
    LOG_Write(g_logNTFS, ERROR, u"ReadNTFSBootBlock(handle=0x%x): CreateFile() failed with code %d", addressOf(entry),
              GetLastError());
    entry.file = nullptr;
    freeBuffer(entry.bootBuffer);
    return false;
  }
  DWORD read = 0;
  if (!ReadFile(entry.file, entry.bootBuffer, entry.clusterSize, &read, nullptr) || read != entry.clusterSize) {
    DWORD code = read != entry.clusterSize && GetLastError() == ERROR_SUCCESS ? ERROR_HANDLE_EOF : GetLastError();
    LOG_Write(g_logNTFS, ERROR, u"ReadNTFSBootBlock(handle=0x%x): ReadFile() failed with code %d", addressOf(entry), code);
    CloseHandle(entry.file);
    entry.file = nullptr;
    freeBuffer(entry.bootBuffer);
    return false;
  }
  return true;
}

// The record size that boot sector offset 64 gives, or 0 when it is not usable.
DWORD recordSizeFromBoot(const NtfsVolumeEntry& entry) {
  ByteSpan boot(entry.bootBuffer, entry.clusterSize);
  auto low = static_cast<std::int8_t>(le8(boot, kBootClustersPerRecord));
  std::uint64_t size = 0;
  if (low < 0) {
    int shift = -low;
    if (shift < 31) size = 1ull << shift;
  } else {
    size = static_cast<std::uint64_t>(entry.clusterSize) * le32(boot, kBootClustersPerRecord);
  }
  if (size < kMinRecordSize || size > kMaxRecordSize || size < entry.sectorSize || size % entry.sectorSize != 0) return 0;
  // A record larger than a cluster must fill whole clusters, which are read together.
  if (size > entry.clusterSize && size % entry.clusterSize != 0) return 0;
  return static_cast<DWORD>(size);
}

// Steps after the boot cluster is read: record size, records 0 to 15, the $MFT's runs.
bool finishOpen(NtfsVolumeEntry& entry, const WCHAR* driveName) {
  ByteSpan boot(entry.bootBuffer, entry.clusterSize);
  std::string oem(reinterpret_cast<const char*>(entry.bootBuffer + kBootOemName), 4);
  entry.clustersPerMFTRecord = le32(boot, kBootClustersPerRecord);
  LOG_Write(g_logNTFS, INFO, u"OpenMFT(%s): boot block signature is %4S, ClustersPerMFTRecord=%d", driveName, oem.c_str(),
            entry.clustersPerMFTRecord);
  entry.recordSize = recordSizeFromBoot(entry);
  if (entry.recordSize == 0) {
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): MFT record size from ClustersPerMFTRecord=%d is not usable", driveName,
              entry.clustersPerMFTRecord);
    return false;
  }
  std::uint64_t mftCluster = le64(boot, kBootMftCluster);
  LARGE_INTEGER position{};
  if (mftCluster > static_cast<std::uint64_t>(INT64_MAX) / entry.clusterSize) {
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): SetFilePointer() failed with code %d", driveName, ERROR_NEGATIVE_SEEK);
    return false;
  }
  position.QuadPart = static_cast<LONGLONG>(mftCluster * entry.clusterSize);
  DWORD wanted = kFirstRecordCount * entry.recordSize;
  entry.firstRecords = allocateBuffer(wanted);
  DWORD read = 0;
  if (!entry.firstRecords || !SetFilePointerEx(entry.file, position, nullptr, FILE_BEGIN) ||
      !ReadFile(entry.file, entry.firstRecords, wanted, &read, nullptr) || read != wanted) {
    DWORD code = GetLastError() == ERROR_SUCCESS ? ERROR_HANDLE_EOF : GetLastError();
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): ReadFile() failed with code %d", driveName, code);
    freeBuffer(entry.firstRecords);
    return false;
  }
  GET_LENGTH_INFORMATION length{};
  DWORD returned = 0;
  if (DeviceIoControl(entry.file, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned, nullptr))
    entry.volumeClusters = static_cast<std::uint64_t>(length.Length.QuadPart) / entry.clusterSize;
  if (!InitializeNTFSData(entry)) {
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): InitializeNTFSData(0x%x) failed", driveName, addressOf(entry));
    freeBuffer(entry.firstRecords);
    return false;
  }
  return true;
}

// Reads length bytes at offset of the volume; the log lines name the operation that asked.
DWORD readVolume(NtfsVolumeEntry& entry, std::uint64_t offset, std::uint64_t length, BYTE* buffer,
                 const char16_t* operation) {
  if (offset > static_cast<std::uint64_t>(INT64_MAX) || length > 0xFFFFFFFFull) {
    LOG_Write(g_logNTFS, ERROR, u"%s(handle=0x%x): SetFilePointer() failed with code %d", operation, addressOf(entry),
              ERROR_NEGATIVE_SEEK);
    return LAYER_READ_FAILED;
  }
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(entry.file, position, nullptr, FILE_BEGIN)) {
    LOG_Write(g_logNTFS, ERROR, u"%s(handle=0x%x): SetFilePointer() failed with code %d", operation, addressOf(entry),
              GetLastError());
    return LAYER_READ_FAILED;
  }
  DWORD read = 0;
  BOOL ok = ReadFile(entry.file, buffer, static_cast<DWORD>(length), &read, nullptr);
  if (!ok || read != length) {
    // A short read is a failure: the bytes asked for are not all there.
    DWORD code = ok ? ERROR_HANDLE_EOF : GetLastError();
    LOG_Write(g_logNTFS, ERROR, u"%s(handle=0x%x): ReadFile() failed with code %d", operation, addressOf(entry), code);
    return LAYER_READ_FAILED;
  }
  return LAYER_SUCCESS;
}

// Maps a VCN of the $MFT to its cluster; false beyond the runs. left: clusters of the run from
// there on.
enum class MapResult { Mapped, Beyond, Sparse };
MapResult mapVcn(const std::vector<Run>& runs, std::uint64_t vcn, std::uint64_t& lcn, std::uint64_t& left) {
  for (const Run& run : runs) {
    if (vcn < run.length) {
      if (run.startCluster < 0) return MapResult::Sparse;
      lcn = static_cast<std::uint64_t>(run.startCluster) + vcn;
      left = run.length - vcn;
      return MapResult::Mapped;
    }
    vcn -= run.length;
  }
  return MapResult::Beyond;
}

}  // namespace

bool ReadNTFSBootBlock(NtfsVolumeEntry& entry) {
  LOG_Write(g_logNTFS, INFO, u"ReadNTFSBootBlock(handle=0x%x): device=%s", addressOf(entry), entry.devicePath.data());
  std::u16string root(entry.devicePath.data() + 4);
  if (root.empty() || root.back() != u'\\') root += u'\\';
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  if (!GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
    LOG_Write(g_logNTFS, ERROR, u"ReadNTFSBootBlock(handle=0x%x): GetDiskFreeSpace() failed with code %d",
              addressOf(entry), GetLastError());
    return false;
  }
  std::uint64_t cluster = static_cast<std::uint64_t>(bytesPerSector) * sectorsPerCluster;
  if (bytesPerSector == 0 || cluster == 0 || cluster > (1u << 21)) {
    LOG_Write(g_logNTFS, ERROR, u"ReadNTFSBootBlock(handle=0x%x): GetDiskFreeSpace() failed with code %d",
              addressOf(entry), ERROR_INVALID_PARAMETER);
    return false;
  }
  entry.sectorSize = bytesPerSector;
  entry.clusterSize = static_cast<DWORD>(cluster);
  return readBootCluster(entry);
}

bool InitializeNTFSData(NtfsVolumeEntry& entry) {
  if (entry.inUse) return true;
  std::span<BYTE> record0(entry.firstRecords, entry.recordSize);
  FixupResult fixed = applyFixups(record0);
  if (fixed == FixupResult::Mismatch || fixed == FixupResult::BadArray) {
    LOG_Write(g_logNTFS, ERROR, u"InitializeNTFSData(handle=0x%x): sector signature doesn't match a fixup record",
              addressOf(entry));
    return false;
  }
  ByteSpan record(record0.data(), record0.size());
  if (const char16_t* fault = mftRecordFault(record)) {
    LOG_Write(g_logNTFS, ERROR, u"InitializeNTFSData(handle=0x%x): record 0 is damaged: %s", addressOf(entry), fault);
    return false;
  }
  ByteSpan data;
  if (FindAttribute(record, _AH_TYPE_DA, &data) != LAYER_SUCCESS) {
    LOG_Write(g_logNTFS, ERROR, u"InitializeNTFSData(handle=0x%x): FindAttribute(_AH_TYPE_DA) failed", addressOf(entry));
    return false;
  }
  entry.mftDataSize = attributeDataSize(data);
  DWORD count = 0;
  if (GetRunCountFromAttr(data, &count) != LAYER_SUCCESS || count == 0) {
    LOG_Write(g_logNTFS, ERROR, u"InitializeNTFSData(handle=0x%x): data size is zero", addressOf(entry));
    return false;
  }
  LOG_Write(g_logNTFS, INFO, u"InitializeNTFSData(handle=0x%x): MFTRunListSize=%d", addressOf(entry), count);
  entry.recordsPerCluster = entry.clusterSize / entry.recordSize;
  // A record larger than a cluster spans record size / cluster size clusters, whatever the
  // boot sector's byte says (0xF6 with 512-byte clusters means two clusters, not 246).
  entry.clustersPerRecordRead = entry.recordsPerCluster == 0 ? entry.recordSize / entry.clusterSize : 1;
  entry.mftRuns.assign(count, Run{});
  DWORD decoded = 0;
  if (GetRunListFromAttr(data, count, &decoded, entry.mftRuns.data()) != LAYER_SUCCESS) {
    LOG_Write(g_logNTFS, ERROR, u"InitializeNTFSData(handle=0x%x): GetRunListFromAttr() failed", addressOf(entry));
    entry.mftRuns.clear();
    return false;
  }
  entry.mftRunCount = decoded;
  LOG_Write(g_logNTFS, INFO, u"InitializeNTFSData(handle=0x%x): record size=%d, cluster size=%d", addressOf(entry),
            entry.recordSize, entry.clusterSize);
  entry.clusterBufferSize = std::max(entry.recordSize, entry.clusterSize * std::max<DWORD>(1, kMftWindowBytes / entry.clusterSize));
  entry.clusterBuffer = allocateBuffer(entry.clusterBufferSize);
  entry.cachedBitmapClusters.assign(std::max<std::size_t>(1, kBitmapCacheBytes / entry.clusterSize), 0);
  entry.bitmapBuffer = allocateBuffer(entry.cachedBitmapClusters.size() * entry.clusterSize);
  if (!entry.clusterBuffer || !entry.bitmapBuffer) {
    freeBuffer(entry.clusterBuffer);
    freeBuffer(entry.bitmapBuffer);
    return false;
  }
  std::uint64_t extensions[kMaxMftExtensionRecords];
  DWORD extensionCount = kMaxMftExtensionRecords;
  if (extendedRecordNumbers(entry, record, _AH_TYPE_DA, extensions, &extensionCount) != LAYER_SUCCESS) extensionCount = 0;
  std::vector<BYTE> extension(entry.recordSize);
  for (DWORD i = 0; i < extensionCount; ++i) {
    if (__GetMFTRecord(entry, extensions[i], extension) != LAYER_SUCCESS) continue;
    ByteSpan extensionData;
    if (FindAttribute(ByteSpan(extension.data(), extension.size()), _AH_TYPE_DA, &extensionData) != LAYER_SUCCESS) continue;
    std::vector<Run> runs;
    if (decodeRunList(extensionData, runs) != LAYER_SUCCESS || runs.empty()) continue;
    LOG_Write(g_logNTFS, INFO, u"InitializeNTFSData(handle=0x%x): extended attribute data of size %d found",
              addressOf(entry), static_cast<DWORD>(runs.size()));
    entry.mftRuns.insert(entry.mftRuns.end(), runs.begin(), runs.end());
    entry.mftRunCount = static_cast<DWORD>(entry.mftRuns.size());
  }
  entry.inUse = 1;
  return true;
}

DWORD __ReadClusters(NtfsVolumeEntry& entry, std::uint64_t firstCluster, DWORD count, BYTE* buffer) {
  LOG_Write(g_logNTFS, INFO, u"__ReadClusters(handle=0x%x): reading %d clusters from %I64d", addressOf(entry), count,
            firstCluster);
  std::uint64_t offset = 0;
  if (__builtin_mul_overflow(firstCluster, std::uint64_t{entry.clusterSize}, &offset)) offset = UINT64_MAX;
  return readVolume(entry, offset, std::uint64_t{count} * entry.clusterSize, buffer, u"__ReadClusters");
}

namespace {

// Checks a record as it lies in a read buffer, applies its fixups there, and copies it out.
DWORD takeRecord(NtfsVolumeEntry& entry, std::uint64_t record, std::span<BYTE> inBuffer, std::span<BYTE> out) {
  ByteSpan bytes(inBuffer.data(), inBuffer.size());
  if (!hasFileSignature(bytes)) {
    std::string magic(reinterpret_cast<const char*>(inBuffer.data()), 4);
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): magic signature of a MFT record (%4S) doesn't match \"FILE\"",
              addressOf(entry), magic.c_str());
    return LAYER_READ_FAILED;
  }
  FixupResult fixed = applyFixups(inBuffer);
  if (fixed == FixupResult::Mismatch || fixed == FixupResult::BadArray) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): sector signature doesn't match a fixup record",
              addressOf(entry));
    return LAYER_READ_FAILED;
  }
  if (const char16_t* fault = mftRecordFault(bytes)) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): record %I64d is damaged: %s", addressOf(entry), record,
              fault);
    return LAYER_READ_FAILED;
  }
  std::memcpy(out.data(), inBuffer.data(), entry.recordSize);
  return LAYER_SUCCESS;
}

// The record's slot among those kept from out-of-order reads, or -1.
int recentSlotOf(const NtfsVolumeEntry& entry, std::uint64_t record) {
  if (record == kNoRecord) return -1;  // what an empty slot holds
  for (std::size_t i = 0; i < entry.recentNumbers.size(); ++i)
    if (entry.recentNumbers[i] == record) return static_cast<int>(i);
  return -1;
}

// Reads one record on its own, straight from its place: no window is filled for it, so a walk in
// another order than the $MFT's costs one record per record. Kept among the recent ones.
DWORD readRecordAlone(NtfsVolumeEntry& entry, std::uint64_t record, std::uint64_t lcn, std::uint64_t index,
                      std::span<BYTE> out) {
  if (entry.recentRecords.empty()) entry.recentRecords.assign(kRecentRecords * std::size_t{entry.recordSize}, 0);
  std::size_t slot = entry.nextRecent;
  entry.recentNumbers[slot] = kNoRecord;
  std::span<BYTE> kept(entry.recentRecords.data() + slot * entry.recordSize, entry.recordSize);
  std::uint64_t offset = saturatingAdd(saturatingMultiply(lcn, entry.clusterSize), index * entry.recordSize);
  if (readVolume(entry, offset, entry.recordSize, kept.data(), u"__GetMFTRecord") != LAYER_SUCCESS) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): reading record %I64d failed", addressOf(entry), record);
    return LAYER_READ_FAILED;
  }
  DWORD taken = takeRecord(entry, record, kept, out);
  if (taken == LAYER_SUCCESS) {
    entry.recentNumbers[slot] = record;
    entry.nextRecent = static_cast<unsigned>((slot + 1) % kRecentRecords);
  }
  return taken;
}

// Fills the window from the record's cluster on (as much of its run as the window holds), or,
// for a record that crosses into the next run, with its own clusters one at a time.
bool fillWindow(NtfsVolumeEntry& entry, std::uint64_t vcn, std::uint64_t lcn, std::uint64_t left, DWORD clusters) {
  entry.cachedCluster = 0;
  entry.cachedClusters = 0;
  if (left >= clusters) {
    // If the whole stretch cannot be read (a bad sector further on), the record's clusters alone.
    DWORD window = static_cast<DWORD>(std::min<std::uint64_t>(left, entry.clusterBufferSize / entry.clusterSize));
    if (window <= clusters || __ReadClusters(entry, lcn, window, entry.clusterBuffer) != LAYER_SUCCESS) {
      window = clusters;
      if (__ReadClusters(entry, lcn, clusters, entry.clusterBuffer) != LAYER_SUCCESS) return false;
    }
    entry.cachedCluster = lcn;
    entry.cachedClusters = window;
    return true;
  }
  // Not kept as a window: these clusters do not follow each other on the volume.
  for (DWORD k = 0; k < clusters; ++k) {
    std::uint64_t partLcn = 0, partLeft = 0;
    if (mapVcn(entry.mftRuns, vcn + k, partLcn, partLeft) != MapResult::Mapped ||
        __ReadClusters(entry, partLcn, 1, entry.clusterBuffer + static_cast<std::size_t>(k) * entry.clusterSize) != LAYER_SUCCESS)
      return false;
  }
  return true;
}

}  // namespace

// Records come from the window of consecutive $MFT clusters while they are read in order (a
// record a little after the one read last, so that a window from it serves the next ones too, or
// one the window still holds); any other record is read on its own and kept among the last few
// read that way, so that the views, which ask for the records of the entries they show in folder
// order, and ask twice (chance and time), read each record once and never a window for it.
DWORD __GetMFTRecord(NtfsVolumeEntry& entry, std::uint64_t record, std::span<BYTE> buffer) {
  LOG_Write(g_logNTFS, INFO, u"__GetMFTRecord(handle=0x%x): record=%I64d", addressOf(entry), record);
  if (buffer.size() < entry.recordSize || !entry.clusterBuffer) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): buffer of %d bytes is smaller than a record",
              addressOf(entry), static_cast<DWORD>(buffer.size()));
    return LAYER_READ_FAILED;
  }
  const std::uint64_t windowRecords = std::max<std::uint64_t>(1, entry.clusterBufferSize / entry.recordSize);
  const bool inOrder = entry.lastRecord != kNoRecord && record > entry.lastRecord &&
                       record - entry.lastRecord <= windowRecords;
  entry.lastRecord = record;
  if (int slot = recentSlotOf(entry, record); slot >= 0) {
    std::memcpy(buffer.data(), entry.recentRecords.data() + static_cast<std::size_t>(slot) * entry.recordSize,
                entry.recordSize);
    return LAYER_SUCCESS;
  }
  std::uint64_t vcn = 0;
  std::uint64_t index = 0;
  if (entry.recordsPerCluster != 0) {
    vcn = record / entry.recordsPerCluster;
    index = record % entry.recordsPerCluster;
  } else {
    if (record > UINT64_MAX / entry.clustersPerRecordRead) return LAYER_NO_MORE;
    vcn = record * entry.clustersPerRecordRead;
  }
  std::uint64_t lcn = 0, left = 0;
  MapResult mapped = mapVcn(entry.mftRuns, vcn, lcn, left);
  if (mapped == MapResult::Beyond) return LAYER_NO_MORE;
  if (mapped == MapResult::Sparse) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): record %I64d lies in a sparse run of the $MFT",
              addressOf(entry), record);
    return LAYER_READ_FAILED;
  }
  DWORD clusters = entry.recordsPerCluster != 0 ? 1 : entry.clustersPerRecordRead;
  bool inWindow = entry.cachedCluster != 0 && lcn >= entry.cachedCluster &&
                  lcn - entry.cachedCluster + clusters <= entry.cachedClusters;
  if (!inWindow && !inOrder && left >= clusters) return readRecordAlone(entry, record, lcn, index, buffer);
  std::uint64_t bufferStart = inWindow ? entry.cachedCluster : lcn;  // the cluster at the buffer's start
  if (!inWindow && !fillWindow(entry, vcn, lcn, left, clusters)) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): __ReadClusters() failed", addressOf(entry));
    return LAYER_READ_FAILED;
  }
  std::size_t at = static_cast<std::size_t>((lcn - bufferStart) * entry.clusterSize + index * entry.recordSize);
  if (!fitsIn(entry.clusterBufferSize, at, entry.recordSize)) {
    LOG_Write(g_logNTFS, ERROR, u"__GetMFTRecord(handle=0x%x): pMFTRecord=0x%x is a bad pointer", addressOf(entry),
              static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(entry.clusterBuffer + at)));
    return LAYER_READ_FAILED;
  }
  return takeRecord(entry, record, std::span<BYTE>(entry.clusterBuffer + at, entry.recordSize), buffer);
}

namespace tarvosk::ntfs {

NtfsVolumeEntry* openEntry(DWORD handle) {
  if (handle >= kNtfsTableSize || !g_volumes[handle].inUse) return nullptr;
  return &g_volumes[handle];
}

void closeVolumeEntry(NtfsVolumeEntry& entry) {
  freeBuffer(entry.bootBuffer);
  freeBuffer(entry.firstRecords);
  freeBuffer(entry.clusterBuffer);
  freeBuffer(entry.bitmapBuffer);
  if (entry.file && entry.file != INVALID_HANDLE_VALUE) CloseHandle(entry.file);
  entry = NtfsVolumeEntry{};
}

bool openVolumeEntry(NtfsVolumeEntry& entry, const WCHAR* driveName, DWORD sectorSize, DWORD clusterSize) {
  closeVolumeEntry(entry);
  entry.handle = kNtfsInvalidHandle;
  if (!driveName || std::char_traits<char16_t>::length(driveName) > kMaxDriveName || !setDevicePath(entry, driveName) ||
      sectorSize == 0 || clusterSize == 0 || clusterSize % sectorSize != 0) {
    return false;
  }
  LOG_Write(g_logNTFS, INFO, u"ReadNTFSBootBlock(handle=0x%x): device=%s", addressOf(entry), entry.devicePath.data());
  entry.sectorSize = sectorSize;
  entry.clusterSize = clusterSize;
  if (!readBootCluster(entry) || !finishOpen(entry, driveName)) {
    closeVolumeEntry(entry);
    return false;
  }
  return true;
}

std::uint64_t mftRecordCount(const NtfsVolumeEntry& entry) {
  if (entry.recordSize == 0) return 0;
  // A damaged data size can claim far more records than the $MFT's runs hold, and those
  // cannot be read (LAYER_NO_MORE), so the count stops at the end of the runs. Damaged
  // runs can claim more clusters than the volume has, which cannot be read either.
  std::uint64_t clusters = 0;
  for (const Run& run : entry.mftRuns) clusters = saturatingAdd(clusters, run.length);
  clusters = std::min(clusters, entry.volumeClusters);
  std::uint64_t inRuns = 0;
  if (entry.recordsPerCluster != 0)
    inRuns = saturatingMultiply(clusters, entry.recordsPerCluster);
  else if (entry.clustersPerRecordRead != 0)
    inRuns = clusters / entry.clustersPerRecordRead;
  return std::min(entry.mftDataSize / entry.recordSize, inRuns);
}

}  // namespace tarvosk::ntfs

DWORD OpenMFT(const WCHAR* driveName) {
  if (!driveName) driveName = u"";
  LOG_Write(g_logNTFS, INFO, u"OpenMFT(%s)", driveName);
  auto it = std::find_if(g_volumes.begin(), g_volumes.end(), [](const NtfsVolumeEntry& e) { return !e.inUse && !e.file; });
  if (it == g_volumes.end()) {
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): FindFreeHandle() failed", driveName);
    return kNtfsInvalidHandle;
  }
  NtfsVolumeEntry& entry = *it;
  entry = NtfsVolumeEntry{};
  entry.handle = static_cast<DWORD>(it - g_volumes.begin());
  if (std::char_traits<char16_t>::length(driveName) > kMaxDriveName || !setDevicePath(entry, driveName) ||
      !ReadNTFSBootBlock(entry)) {
    LOG_Write(g_logNTFS, ERROR, u"OpenMFT(%s): ReadNTFSBootBlock() failed", driveName);
    closeVolumeEntry(entry);
    return kNtfsInvalidHandle;
  }
  if (!finishOpen(entry, driveName)) {
    closeVolumeEntry(entry);
    return kNtfsInvalidHandle;
  }
  return entry.handle;
}

DWORD CloseMFT(DWORD handle) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return 0;
  closeVolumeEntry(*entry);
  return 1;
}

DWORD GetMFTRecord(DWORD handle, std::uint64_t record, std::span<BYTE> buffer) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  return __GetMFTRecord(*entry, record, buffer);
}

DWORD GetMFTRecordSize(DWORD handle, DWORD* size) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  if (size) *size = entry->recordSize;
  return LAYER_SUCCESS;
}

DWORD GetMFTSize(DWORD handle, std::uint64_t* size) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  if (size) *size = entry->mftDataSize;
  return LAYER_SUCCESS;
}

DWORD GetMFTRecordCount(DWORD handle, std::uint64_t* count) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  if (count) *count = mftRecordCount(*entry);
  return LAYER_SUCCESS;
}

DWORD GetNTFSClusterSize(DWORD handle, DWORD* size) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  if (size) *size = entry->clusterSize;
  return LAYER_SUCCESS;
}

DWORD ReadClusters(DWORD handle, std::uint64_t firstCluster, DWORD count, std::span<BYTE> buffer) {
  NtfsVolumeEntry* entry = openEntry(handle);
  if (!entry) return LAYER_BAD_HANDLE;
  if (buffer.size() / entry->clusterSize < count) {
    LOG_Write(g_logNTFS, ERROR, u"ReadClusters(): buffer of %d bytes is smaller than %d clusters",
              static_cast<DWORD>(buffer.size()), count);
    return LAYER_READ_FAILED;
  }
  return __ReadClusters(*entry, firstCluster, count, buffer.data());
}
