#include "scan/EntryContent.h"

#include <algorithm>
#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/Files.h"
#include "scan/DriveUnits.h"

namespace tarvosk {

namespace {

constexpr std::uint64_t kMaxFatClusters = 100000;
constexpr std::uint64_t kMaxSearchedRunLength = 1000000;

bool readUnits(const FileEntry& entry, const std::function<bool(ByteSpan)>& visit) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  if (!units) return false;
  const std::uint64_t unit = units->unitSize();
  const std::uint64_t count = (entry.size + unit - 1) / unit;
  if (entry.kind == ENTRY_KIND_FAT && count > kMaxFatClusters) return false;
  std::vector<std::uint8_t> buffer(unit);
  for (std::uint64_t i = 0; i < count; ++i) {
    if (!units->read(entry.startPosition + i, 1, buffer.data())) return false;
    std::uint64_t length = std::min(unit, entry.size - i * unit);
    if (!visit(ByteSpan(buffer.data(), length))) return true;
  }
  return true;
}

bool readThroughMft(const FileEntry& entry, const std::function<bool(ByteSpan)>& visit) {
  DWORD recordSize = 0, clusterSize = 0;
  if (GetMFTRecordSize(entry.handle, &recordSize) != 0 || GetNTFSClusterSize(entry.handle, &clusterSize) != 0 ||
      recordSize == 0 || clusterSize == 0)
    return false;
  std::vector<BYTE> record(recordSize);
  if (GetMFTRecord(entry.handle, mftRecordNumberOf(entry), record) != 0) return false;
  ByteSpan data;
  if (FindAttribute(record, ntfs::_AH_TYPE_DA, &data) != 0) return false;
  if (ntfs::isResident(data)) {
    visit(ntfs::residentValue(data));
    return true;
  }
  if (ntfs::isCompressed(data)) return false;
  std::vector<Run> runs;
  if (ntfs::decodeRunList(data, runs) != 0) return false;
  std::uint64_t left = ntfs::attributeDataSize(data);
  std::vector<std::uint8_t> cluster(clusterSize);
  for (const Run& run : runs) {
    if (left == 0) break;
    if (run.startCluster == kSparseRun || run.length > kMaxSearchedRunLength) {
      left -= std::min<std::uint64_t>(left, run.length * clusterSize);
      continue;
    }
    for (std::uint64_t c = 0; c < run.length && left > 0; ++c) {
      if (ReadClusters(entry.handle, static_cast<std::uint64_t>(run.startCluster) + c, 1, cluster) != 0) return false;
      std::uint64_t length = std::min<std::uint64_t>(clusterSize, left);
      left -= length;
      if (!visit(ByteSpan(cluster.data(), length))) return true;
    }
  }
  return true;
}

bool readRecycledFile(const FileEntry& entry, const std::function<bool(ByteSpan)>& visit) {
  HANDLE file = CreateFileW(entry.recycleBinPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<std::uint8_t> buffer(64 * 1024);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0 || !visit(ByteSpan(buffer.data(), got))) break;
  }
  CloseHandle(file);
  return ok;
}

}  // namespace

bool readFileContent(const FileEntry& entry, const std::function<bool(ByteSpan piece)>& visit) {
  if (entry.kind == ENTRY_KIND_RECYCLE_BIN) return readRecycledFile(entry, visit);
  if (entry.kind == ENTRY_KIND_NTFS && entry.startPosition == 0) return readThroughMft(entry, visit);
  return readUnits(entry, visit);
}

}  // namespace tarvosk
