#include "viewers/UnitList.h"

#include <algorithm>

#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/NtfsLayout.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/Files.h"
#include "platform/UiPorts.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/DriveUnits.h"
#include "scan/ExfatFileData.h"
#include "scan/FileUnitLimits.h"
#include "scan/NtfsFileData.h"

namespace tarvosk {

namespace {

constexpr std::uint32_t kRecycleBinBlock = 4096;

void tell(unsigned id, UINT icon) {
  userInterface().messageBox(std::u16string(loadString(id)), kProgramTitle, MB_OK | icon);
}

void listContiguous(const FileEntry& entry, FileUnits& out) {
  std::unique_ptr<DriveUnits> drive = driveUnitsOf(entry.kind, entry.handle);
  if (!drive) return;
  out.unitSize = drive->unitSize();
  std::uint64_t count = unitsOfSize(entry.size, out.unitSize);
  if (entry.kind == ENTRY_KIND_FAT && count > kMaxFatFileClusters) {
    tell(res::IDS_FILE_DAMAGED, 0);
    return;
  }
  for (std::uint64_t i = 0; i < count; ++i) out.units.push_back({entry.startPosition + i, drive->isFree(entry.startPosition + i)});
}

void listThroughMft(const FileEntry& entry, FileUnits& out) {
  DWORD clusterSize = 0;
  std::vector<BYTE> record;
  ByteSpan data;
  NtfsDataLookup found = findNtfsFileData(entry.handle, mftRecordNumberOf(entry), record, data);
  if (found == NtfsDataLookup::RecordUnreadable || GetNTFSClusterSize(entry.handle, &clusterSize) != 0) {
    tell(res::IDS_FILE_DAMAGED, 0);
    return;
  }
  if (found == NtfsDataLookup::NoData) {
    tell(res::IDS_VIEWER_NO_DATA, 0);
    return;
  }
  out.unitSize = clusterSize;
  out.dataLength = ntfs::attributeDataSize(data);
  if (ntfs::isResident(data)) {
    ByteSpan value = ntfs::residentValue(data);
    out.resident.assign(value.begin(), value.end());
    return;
  }
  if (ntfs::isCompressed(data)) tell(res::IDS_VIEWER_FILE_COMPRESSED, MB_ICONINFORMATION);
  std::vector<Run> runs;
  if (ntfs::decodeRunList(data, runs) != 0) return;
  walkRunClusters(
      runs,
      [&](std::uint64_t cluster) {
        DWORD isFree = 0;
        out.units.push_back({cluster, IsClusterFree(entry.handle, cluster, &isFree) == 0 && isFree != 0});
        return true;
      },
      [](const Run&, PassedRun) { return true; });
}

// An exFAT file of a basic scan: the clusters its entry set names (for a deleted file whose
// chain is gone, the clusters recovery would take), extents of more than 1,000,000 left out.
void listThroughSet(const FileEntry& entry, FileUnits& out) {
  ExfatFileData data;
  std::unique_ptr<DriveUnits> drive = driveUnitsOf(entry.kind, entry.handle);
  if (!drive || !findExfatFileData(entry, data)) {
    tell(res::IDS_FILE_DAMAGED, 0);
    return;
  }
  out.unitSize = data.clusterSize;
  out.dataLength = data.dataLength;
  for (const ExfatRun& run : data.runs) {
    if (run.count > kMaxWalkedRunClusters) continue;  // as NTFS runs: too long to list
    for (std::uint64_t c = run.first; c < run.first + run.count; ++c) out.units.push_back({c, drive->isFree(c)});
  }
}

}  // namespace

FileUnits listFileUnits(const FileEntry& entry) {
  FileUnits out;
  out.dataLength = entry.size;
  if (entry.kind == ENTRY_KIND_RECYCLE_BIN) {
    out.unitSize = kRecycleBinBlock;
    for (std::uint64_t i = 0; i < unitsOfSize(entry.size, kRecycleBinBlock); ++i) out.units.push_back({i, true});
  } else if (entry.kind == ENTRY_KIND_NTFS && entry.startPosition == 0) {
    listThroughMft(entry, out);
  } else if (isExfatSetEntry(entry)) {
    listThroughSet(entry, out);
  } else {
    listContiguous(entry, out);
  }
  return out;
}

bool readFileUnit(const FileEntry& entry, const FileUnits& files, std::size_t index, std::vector<std::uint8_t>& bytes) {
  if (index >= files.units.size() || files.unitSize == 0) return false;
  std::uint64_t number = files.units[index].number;
  bytes.assign(files.unitSize, 0);
  bool ok = false;
  if (entry.kind == ENTRY_KIND_RECYCLE_BIN) {
    HANDLE file = CreateFileW(entry.recycleBinPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(number * kRecycleBinBlock);
    DWORD got = 0;
    ok = SetFilePointerEx(file, at, nullptr, FILE_BEGIN) && ReadFile(file, bytes.data(), kRecycleBinBlock, &got, nullptr);
    CloseHandle(file);
  } else {
    std::unique_ptr<DriveUnits> drive = driveUnitsOf(entry.kind, entry.handle);
    ok = drive && drive->read(number, 1, bytes.data());
  }
  if (!ok) return false;
  if (index + 1 == files.units.size() && files.dataLength % files.unitSize != 0)
    bytes.resize(files.dataLength % files.unitSize);
  return true;
}

}  // namespace tarvosk
