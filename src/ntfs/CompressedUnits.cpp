#include "ntfs/CompressedUnits.h"

#include <algorithm>
#include <cstring>

#include "ntfs/Lznt1.h"
#include "ntfs/NtfsLayout.h"

namespace tarvosk::ntfs {

namespace {
constexpr std::uint16_t kStandardUnitExponent = 4;  // 2^4 = kClustersPerCompressionUnit
}  // namespace

bool hasStandardCompressionUnit(ByteSpan attribute) {
  return le16(attribute, kAttrCompressionUnit) == kStandardUnitExponent;
}

CompressedUnitReader::CompressedUnitReader(NtfsVolumeEntry& volume, const std::vector<Run>& runs)
    : volume_(volume), runs_(runs), unitBytes_(std::uint64_t{kClustersPerCompressionUnit} * volume.clusterSize) {}

bool CompressedUnitReader::seek(std::uint64_t vcn) {
  if (vcn < runStartVcn_) {
    run_ = 0;
    runStartVcn_ = 0;
  }
  // A run start cannot wrap: a run whose end would pass 2^64 holds every VCN from its start on.
  for (; run_ < runs_.size(); runStartVcn_ += runs_[run_].length, ++run_) {
    if (vcn - runStartVcn_ < runs_[run_].length) return true;
  }
  return false;
}

UnitRead CompressedUnitReader::read(std::uint64_t unit, std::vector<BYTE>& out) {
  const std::uint64_t clusterSize = volume_.clusterSize;
  out.assign(static_cast<std::size_t>(unitBytes_), 0);
  std::uint64_t firstVcn = 0;
  if (__builtin_mul_overflow(unit, std::uint64_t{kClustersPerCompressionUnit}, &firstVcn)) return UnitRead::Damaged;
  gathered_.resize(out.size());
  std::uint64_t allocated = 0, covered = 0;
  bool sawSparse = false;
  // Each step takes at least one cluster of the unit.
  while (covered < kClustersPerCompressionUnit && seek(firstVcn + covered)) {
    const Run& run = runs_[run_];
    const std::uint64_t inRun = firstVcn + covered - runStartVcn_;
    const std::uint64_t take = std::min(kClustersPerCompressionUnit - covered, run.length - inRun);
    if (run.startCluster == kSparseRun) {
      sawSparse = true;
    } else {
      if (sawSparse) return UnitRead::Damaged;
      if (__ReadClusters(volume_, static_cast<std::uint64_t>(run.startCluster) + inRun, static_cast<DWORD>(take),
                         gathered_.data() + allocated * clusterSize) != LAYER_SUCCESS)
        return UnitRead::ReadFailed;
      allocated += take;
    }
    covered += take;
  }
  if (allocated == 0) return UnitRead::Read;
  if (!sawSparse) {
    std::memcpy(out.data(), gathered_.data(), static_cast<std::size_t>(allocated * clusterSize));
    return UnitRead::Read;
  }
  decompressUnitBytes(volume_.clusterSize, ByteSpan(gathered_.data(), static_cast<std::size_t>(allocated * clusterSize)), out);
  return UnitRead::Read;
}

}  // namespace tarvosk::ntfs
