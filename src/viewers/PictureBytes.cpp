#include "viewers/PictureBytes.h"

#include <algorithm>
#include <cstring>
#include <span>

#include "ntfs/Attribute.h"
#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/Files.h"
#include "res/StringIds.h"
#include "scan/DriveUnits.h"
#include "scan/FileUnitLimits.h"
#include "scan/NtfsFileData.h"

namespace tarvosk {

namespace {

constexpr DWORD kRecycleBinBlock = 1024;
// Units are read this many bytes at a time (at least one unit).
constexpr std::uint64_t kStretchBytes = 256 * 1024;

PictureRead readRecycleBinFile(const FileEntry& entry, std::vector<std::uint8_t>& bytes) {
  HANDLE file = CreateFileW(entry.recycleBinPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return PictureRead::DataUnreadable;
  std::size_t done = 0;
  bool ok = true;
  while (done < bytes.size()) {
    DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(kRecycleBinBlock, bytes.size() - done));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, wanted, &got, nullptr)) ok = false;
    if (!ok || got == 0) break;  // a file shorter than listed leaves zeros
    done += got;
  }
  CloseHandle(file);
  return ok ? PictureRead::Read : PictureRead::DataUnreadable;
}

// The units from start on, a stretch at a time, until bytes is full.
PictureRead readConsecutiveUnits(const FileEntry& entry, std::vector<std::uint8_t>& bytes) {
  std::unique_ptr<DriveUnits> units = driveUnitsOf(entry.kind, entry.handle);
  if (!units || units->unitSize() == 0) return PictureRead::DataUnreadable;
  const std::uint64_t unit = units->unitSize();
  const std::uint64_t count = unitsOfSize(bytes.size(), unit);
  if (entry.kind == ENTRY_KIND_FAT && count > kMaxFatFileClusters) return PictureRead::DataUnreadable;
  const std::uint64_t stretch = std::max<std::uint64_t>(1, kStretchBytes / unit);
  std::vector<std::uint8_t> buffer(stretch * unit);
  for (std::uint64_t i = 0; i < count; i += stretch) {
    const std::uint64_t n = std::min(stretch, count - i);
    if (!units->read(entry.startPosition + i, static_cast<std::uint32_t>(n), buffer.data())) return PictureRead::DataUnreadable;
    const std::size_t at = static_cast<std::size_t>(i * unit);
    std::memcpy(bytes.data() + at, buffer.data(), std::min<std::size_t>(static_cast<std::size_t>(n * unit), bytes.size() - at));
  }
  return PictureRead::Read;
}

// The runs in order: sparse ones stay zeros, the others are read until bytes is full.
PictureRead readRuns(DWORD volume, ByteSpan data, std::vector<std::uint8_t>& bytes) {
  std::vector<Run> runs;
  DWORD clusterSize = 0;
  if (ntfs::decodeRunList(data, runs) != 0 || GetNTFSClusterSize(volume, &clusterSize) != 0 || clusterSize == 0)
    return PictureRead::DataUnreadable;
  const std::uint64_t stretch = std::max<std::uint64_t>(1, kStretchBytes / clusterSize);
  std::vector<std::uint8_t> buffer(stretch * clusterSize);
  std::size_t at = 0;
  for (const Run& run : runs) {
    for (std::uint64_t c = 0; c < run.length && at < bytes.size();) {
      // Never more clusters than the bytes still wanted, however long a hostile run claims to be.
      const std::uint64_t wanted = (bytes.size() - at + clusterSize - 1) / clusterSize;
      const std::uint64_t n = std::min({stretch, run.length - c, wanted});
      const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(n * clusterSize), bytes.size() - at);
      if (run.startCluster != kSparseRun) {
        std::uint64_t lcn = static_cast<std::uint64_t>(run.startCluster) + c;
        if (ReadClusters(volume, lcn, static_cast<DWORD>(n), std::span<BYTE>(buffer.data(), static_cast<std::size_t>(n * clusterSize))) != 0)
          return PictureRead::DataUnreadable;
        std::memcpy(bytes.data() + at, buffer.data(), length);
      }
      at += length;
      c += n;
    }
  }
  return PictureRead::Read;
}

PictureRead readThroughMft(const FileEntry& entry, std::vector<std::uint8_t>& bytes) {
  std::vector<BYTE> record;
  ByteSpan data;
  NtfsDataLookup found = findNtfsFileData(entry.handle, mftRecordNumberOf(entry), record, data);
  if (found == NtfsDataLookup::RecordUnreadable) return PictureRead::MftRecordUnreadable;
  if (found == NtfsDataLookup::NoData) return PictureRead::DataUnreadable;
  if (ntfs::isResident(data)) {
    ByteSpan value = ntfs::residentValue(data);
    std::memcpy(bytes.data(), value.data(), std::min(value.size(), bytes.size()));
    return PictureRead::Read;
  }
  if (ntfs::isCompressed(data)) return PictureRead::Compressed;
  return readRuns(entry.handle, data, bytes);
}

}  // namespace

PictureRead readPictureBytes(const FileEntry& entry, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  if (entry.size > kMaxPreviewBytes) return PictureRead::TooLarge;
  bytes.assign(static_cast<std::size_t>(entry.size), 0);
  PictureRead result = PictureRead::DataUnreadable;
  if (entry.kind == ENTRY_KIND_RECYCLE_BIN) result = readRecycleBinFile(entry, bytes);
  else if (entry.kind == ENTRY_KIND_NTFS && entry.startPosition == 0) result = readThroughMft(entry, bytes);
  else result = readConsecutiveUnits(entry, bytes);
  if (result != PictureRead::Read) bytes.clear();
  return result;
}

unsigned pictureReadMessage(PictureRead result) {
  switch (result) {
    case PictureRead::TooLarge: return res::IDS_PREVIEW_TOO_LARGE;
    case PictureRead::MftRecordUnreadable: return res::IDS_MFT_RECORD_READ_ERROR;
    case PictureRead::Compressed: return res::IDS_PREVIEW_COMPRESSED;
    case PictureRead::DataUnreadable: return res::IDS_FILE_DATA_READ_ERROR;
    case PictureRead::Read: break;
  }
  return 0;
}

}  // namespace tarvosk
