#include "volfs/ExfatFileReader.h"

#include <algorithm>
#include <cstring>

#include "exfat/ExfatClusterRuns.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {
// Reads go through a stretch of at most this much of one cluster.
constexpr std::uint64_t kPieceBytes = 64 * 1024;
}  // namespace

DWORD ExfatFileReader::open(DWORD volumeHandle, const ExfatEntrySet& set, std::unique_ptr<VolumeFileReader>& out) {
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(volumeHandle);
  if (!volume) return ERROR_INVALID_HANDLE;
  std::unique_ptr<ExfatFileReader> reader(new ExfatFileReader);
  reader->volume_ = volumeHandle;
  reader->size_ = set.dataLength;
  reader->valid_ = std::min(set.validDataLength, set.dataLength);
  if (exfat::fileRuns(*volume, set.firstCluster, reader->valid_, set.noFatChain(), false, reader->runs_) != LAYER_SUCCESS)
    return ERROR_READ_FAULT;
  const std::uint64_t needed = (reader->valid_ + volume->boot.clusterSize - 1) / volume->boot.clusterSize;
  if (exfat::clustersIn(reader->runs_) < needed) return ERROR_FILE_INVALID;
  reader->piece_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kPieceBytes, volume->boot.clusterSize)));
  out = std::move(reader);
  return ERROR_SUCCESS;
}

std::uint64_t ExfatFileReader::volumeOffset(const ExfatVolumeEntry& volume, std::uint64_t offset) const {
  std::uint64_t index = offset / volume.boot.clusterSize;
  for (const ExfatRun& run : runs_) {
    if (index < run.count) return volume.boot.clusterOffset(run.first + index) + offset % volume.boot.clusterSize;
    index -= run.count;
  }
  return ~0ull;  // open() made sure the runs cover the valid data
}

DWORD ExfatFileReader::read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) {
  bytesRead = 0;
  if (offset >= size_ || length == 0) return ERROR_SUCCESS;
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(volume_);
  if (!volume) return ERROR_INVALID_HANDLE;
  std::uint64_t remaining = std::min<std::uint64_t>(length, size_ - offset);
  auto* to = static_cast<std::uint8_t*>(buffer);
  const std::uint64_t pieceBytes = piece_.size();
  while (remaining > 0) {
    std::uint64_t n = 0;
    if (offset >= valid_) {
      // Beyond the valid data length the file reads as zeros.
      n = remaining;
      std::memset(to, 0, static_cast<std::size_t>(n));
    } else {
      const std::uint64_t start = offset / pieceBytes * pieceBytes;
      if (pieceOffset_ != start) {
        pieceOffset_ = ~0ull;
        if (exfat::readVolume(*volume, volumeOffset(*volume, start), pieceBytes, piece_.data()) != LAYER_SUCCESS)
          return ERROR_READ_FAULT;
        pieceOffset_ = start;
      }
      n = std::min({remaining, start + pieceBytes - offset, valid_ - offset});
      std::memcpy(to, piece_.data() + (offset - start), static_cast<std::size_t>(n));
    }
    to += n;
    offset += n;
    remaining -= n;
    bytesRead += static_cast<DWORD>(n);
  }
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
