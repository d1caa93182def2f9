#include "scan/EntryContent.h"

#include <algorithm>
#include <vector>

#include "ntfs/Attribute.h"
#include "ntfs/ExtendedMftRecords.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/Files.h"
#include "platform/Saturating.h"
#include "scan/DriveUnits.h"
#include "scan/ExfatFileData.h"
#include "scan/FileUnitLimits.h"

namespace tarvosk {

namespace {

// Visits the units of the runs one at a time, the last one cut so that size bytes are visited.
bool readRuns(DriveUnits& units, const std::vector<ExfatRun>& runs, std::uint64_t size,
              const std::function<bool(ByteSpan)>& visit) {
  const std::uint64_t unit = units.unitSize();
  std::vector<std::uint8_t> buffer(unit);
  for (const ExfatRun& run : runs) {
    for (std::uint64_t i = 0; i < run.count && size > 0; ++i) {
      if (!units.read(run.first + i, 1, buffer.data())) return false;
      const std::uint64_t length = std::min(unit, size);
      size -= length;
      if (!visit(ByteSpan(buffer.data(), length))) return true;
    }
  }
  return true;
}

bool readUnits(const FileEntry& entry, const std::function<bool(ByteSpan)>& visit) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  if (!units) return false;
  const std::uint64_t count = unitsOfSize(entry.size, units->unitSize());
  if (entry.kind == ENTRY_KIND_FAT && count > kMaxFatFileClusters) return false;
  return readRuns(*units, {{entry.startPosition, count}}, entry.size, visit);
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
  bool readable = true;
  // Runs that are not walked (sparse, too long) hold nothing searched but count towards the size.
  if (left > 0)
    walkRunClusters(
        runs,
        [&](std::uint64_t lcn) {
          if (ReadClusters(entry.handle, lcn, 1, cluster) != 0) {
            readable = false;
            return false;
          }
          std::uint64_t length = std::min<std::uint64_t>(clusterSize, left);
          left -= length;
          return visit(ByteSpan(cluster.data(), length)) && left > 0;
        },
        [&](const Run& run, PassedRun) {
          left -= std::min(left, saturatingMultiply(run.length, clusterSize));
          return left > 0;
        });
  return readable;
}

// An exFAT file of a basic scan: its clusters up to the valid data length (what follows it is
// zeros, which are not searched).
bool readThroughSet(const FileEntry& entry, const std::function<bool(ByteSpan)>& visit) {
  ExfatFileData data;
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  if (!units || !findExfatFileData(entry, data)) return false;
  return readRuns(*units, data.runs, data.validDataLength, visit);
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
  if (isExfatSetEntry(entry)) return readThroughSet(entry, visit);
  return readUnits(entry, visit);
}

}  // namespace tarvosk
