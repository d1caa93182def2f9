// LZNT1 expansion of hostile chunks and units: nothing read past the input nor written past the
// output (ASan watches both), and a chunk's reported length stays inside what it was given.
#include <vector>

#include "FuzzTarget.h"
#include "ntfs/Lznt1.h"
#include "ntfs/NtfsLayout.h"

using namespace tarvosk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  // The first byte picks the cluster size of the unit: 512 to 4096 bytes.
  const DWORD clusterSize = 512u << (data[0] % 4);
  ByteSpan input(data + 1, size - 1);

  // Chunks are expanded into an output exactly as large as a chunk, so ASan sees any overrun.
  std::vector<BYTE> chunk(ntfs::kChunkSize);
  std::size_t pos = 0;
  while (pos < input.size()) {
    DWORD used = DecompressChunk(chunk, input.subspan(pos));
    if (used == 0) break;
    pos += used;
  }

  std::vector<BYTE> unit(std::size_t{clusterSize} * ntfs::kClustersPerCompressionUnit);
  fuzz::require(ntfs::decompressUnitBytes(clusterSize, input, unit) == 0, "a unit-sized output is accepted");
  std::vector<BYTE> tooSmall(unit.size() - 1);
  fuzz::require(ntfs::decompressUnitBytes(clusterSize, input, tooSmall) == 3, "a smaller output is refused");
  return 0;
}
