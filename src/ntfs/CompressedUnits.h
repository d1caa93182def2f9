// The compression units of an NTFS-compressed $DATA: which clusters make up a unit and how its
// bytes come back. The one reader that recovery and the volume file view share.
#pragma once

#include <cstdint>
#include <vector>

#include "ntfs/NtfsVolume.h"
#include "ntfs/RunList.h"
#include "platform/ByteOrder.h"

namespace tarvosk::ntfs {

// Whether a compressed attribute's unit is one this reader expands: 2^4 = 16 clusters, the only
// unit NTFS compresses in and the 16 clusters that DecompressUnit fills. Any other is damage.
bool hasStandardCompressionUnit(ByteSpan attribute);

enum class UnitRead { Read, ReadFailed, Damaged };

// Reads units of a file whose run list (extents joined, in VCN order) is runs. In a unit the
// allocated clusters come first: a unit without one is zeros, a unit that lacks no cluster
// (also the last one, where the runs end early) is stored as it is, and anything else holds LZNT1
// data in its allocated clusters. Reading units in order costs one step along the runs each.
class CompressedUnitReader {
 public:
  CompressedUnitReader(NtfsVolumeEntry& volume, const std::vector<Run>& runs);

  std::uint64_t unitBytes() const { return unitBytes_; }
  // out receives unitBytes() bytes. Damaged: an allocated cluster after a sparse one.
  UnitRead read(std::uint64_t unit, std::vector<BYTE>& out);

 private:
  // The run holding vcn, found from the last position (forwards in order, from the start when
  // going back); false past the end of the runs.
  bool seek(std::uint64_t vcn);

  NtfsVolumeEntry& volume_;
  const std::vector<Run>& runs_;
  std::uint64_t unitBytes_;
  std::size_t run_ = 0;          // the run the last seek stopped in
  std::uint64_t runStartVcn_ = 0;
  std::vector<BYTE> gathered_;
};

}  // namespace tarvosk::ntfs
