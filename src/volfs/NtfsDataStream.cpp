#include "volfs/NtfsDataStream.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "ntfs/Attribute.h"
#include "ntfs/CompressedUnits.h"
#include "ntfs/NtfsLayout.h"
#include "platform/WinError.h"

namespace tarvosk {

using namespace ntfs;

namespace {

// Bounds against damaged lists: an attribute list of at most 256 KiB, clusters read at most
// 256 at a time.
constexpr std::uint64_t kMaxListBytes = 256 * 1024;
constexpr std::uint64_t kMaxClustersPerRead = 256;

struct Extent {
  std::uint64_t startVcn = 0;
  std::vector<BYTE> record;  // the record holding it
  std::size_t attributeOffset = 0;
  std::size_t attributeLength = 0;
  ByteSpan attribute() const { return ByteSpan(record.data() + attributeOffset, attributeLength); }
};

}  // namespace

DWORD readWholeValue(NtfsVolumeEntry& volume, ByteSpan attribute, std::uint64_t maxBytes, std::vector<BYTE>& out) {
  std::vector<Run> runs;
  if (decodeRunList(attribute, runs) != 0) return ERROR_FILE_INVALID;
  std::uint64_t size = attributeDataSize(attribute);
  if (size > maxBytes) return ERROR_FILE_INVALID;
  out.clear();
  std::vector<BYTE> cluster(volume.clusterSize);
  for (const Run& run : runs) {
    for (std::uint64_t i = 0; i < run.length && out.size() < size; ++i) {
      if (run.startCluster < 0) {
        std::fill(cluster.begin(), cluster.end(), 0);
      } else if (__ReadClusters(volume, static_cast<std::uint64_t>(run.startCluster) + i, 1, cluster.data()) != 0) {
        return ERROR_READ_FAULT;
      }
      out.insert(out.end(), cluster.begin(), cluster.end());
    }
  }
  if (out.size() < size) return ERROR_FILE_INVALID;
  out.resize(static_cast<std::size_t>(size));
  return ERROR_SUCCESS;
}

namespace {

// The unnamed $DATA attribute of record whose start VCN is vcn; false if none.
bool findExtent(const std::vector<BYTE>& record, std::uint64_t vcn, Extent& extent) {
  ByteSpan bytes(record.data(), record.size());
  bool found = false;
  forEachAttribute(bytes, [&](ByteSpan attr) {
    if (le32(attr, kAttrType) != _AH_TYPE_DA || !isUnnamed(attr)) return true;
    std::uint64_t start = isResident(attr) ? 0 : le64(attr, kAttrStartVcn);
    if (start != vcn) return true;
    extent.startVcn = start;
    extent.attributeOffset = static_cast<std::size_t>(attr.data() - record.data());
    extent.attributeLength = attr.size();
    found = true;
    return false;
  });
  return found;
}

}  // namespace

DWORD loadNtfsDataStream(NtfsVolumeEntry& volume, ByteSpan baseRecord, std::uint64_t recordNumber, NtfsDataStream& out) {
  out = NtfsDataStream{};
  std::vector<BYTE> base(baseRecord.begin(), baseRecord.end());
  std::vector<Extent> extents;
  ByteSpan list;
  if (FindAttribute(baseRecord, _AH_TYPE_AL, &list) == 0) {
    std::vector<BYTE> nonResident;
    ByteSpan value;
    if (isResident(list)) {
      value = residentValue(list);
    } else {
      if (DWORD e = readWholeValue(volume, list, kMaxListBytes, nonResident); e != ERROR_SUCCESS) return e;
      value = ByteSpan(nonResident.data(), nonResident.size());
    }
    // The $DATA entries of the list, by start VCN; each names the record that holds it.
    std::map<std::uint64_t, std::uint64_t> pieces;
    std::size_t pos = 0;
    while (fitsIn(value.size(), pos, kAlMinimumEntry)) {
      std::uint16_t length = le16(value, pos + kAlLength);
      if (length < kAlMinimumEntry || !fitsIn(value.size(), pos, length)) return ERROR_FILE_INVALID;
      if (le32(value, pos + kAlType) == _AH_TYPE_DA && le8(value, pos + kAlNameLength) == 0) {
        std::uint64_t number = le32(value, pos + kAlRecordLow) |
                               (static_cast<std::uint64_t>(le16(value, pos + kAlRecordHigh)) << 32);
        pieces.emplace(le64(value, pos + kAlStartVcn), number);
      }
      pos += length;
    }
    for (const auto& [vcn, number] : pieces) {
      Extent extent;
      if (number == recordNumber) {
        if (!findExtent(base, vcn, extent)) return ERROR_FILE_INVALID;
        extent.record = base;
      } else {
        std::vector<BYTE> record(volume.recordSize);
        DWORD r = __GetMFTRecord(volume, number, record);
        if (r != LAYER_SUCCESS) return r == LAYER_READ_FAILED ? ERROR_READ_FAULT : ERROR_FILE_INVALID;
        if (!findExtent(record, vcn, extent)) return ERROR_FILE_INVALID;
        extent.record = std::move(record);
      }
      extents.push_back(std::move(extent));
    }
  } else {
    Extent extent;
    if (findExtent(base, 0, extent)) {
      extent.record = base;
      extents.push_back(std::move(extent));
    }
  }
  if (extents.empty()) return ERROR_SUCCESS;
  out.present = true;
  ByteSpan first = extents.front().attribute();
  if (isResident(first)) {
    ByteSpan value = residentValue(first);
    if (!value.data() && le32(first, kAttrValueLength) != 0) return ERROR_FILE_INVALID;
    out.resident = true;
    out.residentBytes.assign(value.begin(), value.end());
    out.size = out.initializedSize = value.size();
    return ERROR_SUCCESS;
  }
  if (first.size() < kAttrNonResidentHeader) return ERROR_FILE_INVALID;
  out.size = le64(first, kAttrDataSize);
  out.initializedSize = std::min(out.size, le64(first, kAttrInitializedSize));
  // Sparse files may carry a compression unit too; only the compressed flag means LZNT1 data.
  if ((le16(first, kAttrFlags) & kAttrFlagCompressed) != 0) {
    if (!hasStandardCompressionUnit(first)) return ERROR_FILE_INVALID;
    out.compressionUnitClusters = kClustersPerCompressionUnit;
  }
  std::uint64_t vcn = 0;
  for (const Extent& extent : extents) {
    ByteSpan attr = extent.attribute();
    if (isResident(attr) || extent.startVcn < vcn) return ERROR_FILE_INVALID;
    if (extent.startVcn > vcn) out.runs.push_back(Run{kSparseRun, kSparseRun, extent.startVcn - vcn});
    std::vector<Run> runs;
    if (decodeRunList(attr, runs) != 0) return ERROR_FILE_INVALID;
    vcn = extent.startVcn;
    for (const Run& run : runs) {
      if (__builtin_add_overflow(vcn, run.length, &vcn)) return ERROR_FILE_INVALID;
      out.runs.push_back(run);
    }
  }
  // Data beyond its runs is damage (compared by division, which cannot overflow).
  std::uint64_t neededClusters = out.size / volume.clusterSize + (out.size % volume.clusterSize != 0);
  if (neededClusters > vcn) return ERROR_FILE_INVALID;
  return ERROR_SUCCESS;
}

namespace {

// The cluster of a VCN (or -1 for a sparse one) and how many clusters follow it in its run.
std::int64_t mapCluster(const NtfsDataStream& stream, std::uint64_t vcn, std::uint64_t& left) {
  for (const Run& run : stream.runs) {
    if (vcn < run.length) {
      left = run.length - vcn;
      return run.startCluster < 0 ? kSparseRun : run.startCluster + static_cast<std::int64_t>(vcn);
    }
    vcn -= run.length;
  }
  left = 0;
  return -2;
}

DWORD readPlain(NtfsVolumeEntry& volume, const NtfsDataStream& stream, std::uint64_t offset, BYTE* buffer,
                std::size_t length) {
  std::uint64_t clusterSize = volume.clusterSize;
  std::vector<BYTE> scratch;
  while (length > 0) {
    std::uint64_t vcn = offset / clusterSize;
    std::size_t within = static_cast<std::size_t>(offset % clusterSize);
    std::uint64_t left = 0;
    std::int64_t lcn = mapCluster(stream, vcn, left);
    if (lcn == -2) return ERROR_FILE_INVALID;
    std::uint64_t wantClusters = (within + length + clusterSize - 1) / clusterSize;
    std::uint64_t count = std::min({left, wantClusters, kMaxClustersPerRead});
    std::size_t bytes = static_cast<std::size_t>(std::min<std::uint64_t>(count * clusterSize - within, length));
    if (lcn == kSparseRun) {
      std::memset(buffer, 0, bytes);
    } else {
      scratch.resize(static_cast<std::size_t>(count * clusterSize));
      if (__ReadClusters(volume, static_cast<std::uint64_t>(lcn), static_cast<DWORD>(count), scratch.data()) != 0) {
        return ERROR_READ_FAULT;
      }
      std::memcpy(buffer, scratch.data() + within, bytes);
    }
    buffer += bytes;
    offset += bytes;
    length -= bytes;
  }
  return ERROR_SUCCESS;
}

}  // namespace

DWORD readNtfsDataStream(NtfsVolumeEntry& volume, const NtfsDataStream& stream, std::uint64_t offset, BYTE* buffer,
                         std::size_t length) {
  if (!stream.present || offset > stream.size || length > stream.size - offset) return ERROR_INVALID_PARAMETER;
  if (stream.resident) {
    if (length > 0) std::memcpy(buffer, stream.residentBytes.data() + offset, length);
    return ERROR_SUCCESS;
  }
  // Bytes past the initialized size are zeros whatever the clusters hold.
  std::size_t live = offset >= stream.initializedSize
                         ? 0
                         : static_cast<std::size_t>(std::min<std::uint64_t>(length, stream.initializedSize - offset));
  if (length == 0) return ERROR_SUCCESS;
  std::memset(buffer + live, 0, length - live);
  if (live == 0) return ERROR_SUCCESS;
  if (stream.compressionUnitClusters == 0) return readPlain(volume, stream, offset, buffer, live);
  CompressedUnitReader units(volume, stream.runs);
  std::vector<BYTE> unit;
  while (live > 0) {
    std::uint64_t index = offset / units.unitBytes();
    std::size_t within = static_cast<std::size_t>(offset % units.unitBytes());
    UnitRead read = units.read(index, unit);
    if (read != UnitRead::Read) return read == UnitRead::ReadFailed ? ERROR_READ_FAULT : ERROR_FILE_INVALID;
    std::size_t bytes = std::min<std::size_t>(unit.size() - within, live);
    std::memcpy(buffer, unit.data() + within, bytes);
    buffer += bytes;
    offset += bytes;
    live -= bytes;
  }
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
