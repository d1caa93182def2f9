#include "volfs/FatFileReader.h"

#include <algorithm>
#include <cstring>

#include "fat/FatEntry.h"
#include "fat/FatVolume.h"
#include "platform/WinError.h"

namespace tarvosk {

DWORD FatFileReader::open(DWORD volumeHandle, std::uint64_t startCluster, std::uint64_t size,
                          std::unique_ptr<VolumeFileReader>& out) {
  FatVolumeEntry* volume = FAT_GetVolumeEntry(volumeHandle);
  if (!volume) return ERROR_INVALID_HANDLE;
  std::unique_ptr<FatFileReader> reader(new FatFileReader);
  reader->volume_ = volumeHandle;
  reader->size_ = size;
  reader->clusterSize_ = volume->clusterSize;
  reader->sectorSize_ = volume->sectorSize;
  const std::uint64_t needed = (size + volume->clusterSize - 1) / volume->clusterSize;
  // A chain cannot hold more clusters than the volume has.
  if (needed > volume->layout.clusterCount) return ERROR_FILE_INVALID;
  reader->clusters_.reserve(static_cast<std::size_t>(needed));
  std::uint64_t cur = startCluster;
  for (std::uint64_t i = 0; i < needed; ++i) {
    if (cur < kFirstDataCluster || cur >= volume->layout.clusterCount + kFirstDataCluster) return ERROR_FILE_INVALID;
    reader->clusters_.push_back(cur);
    std::uint64_t next = 0;
    DWORD end = 0;
    if (i + 1 < needed && FAT_GetClusterEntry(volumeHandle, cur, &next, &end) != LAYER_SUCCESS) return ERROR_READ_FAULT;
    cur = next;
  }
  reader->buffer_.resize(volume->clusterSize);
  out = std::move(reader);
  return ERROR_SUCCESS;
}

DWORD FatFileReader::read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) {
  bytesRead = 0;
  if (offset >= size_ || length == 0) return ERROR_SUCCESS;
  std::uint64_t remaining = std::min<std::uint64_t>(length, size_ - offset);
  auto* to = static_cast<std::uint8_t*>(buffer);
  FatVolumeEntry* volume = FAT_GetVolumeEntry(volume_);
  if (!volume) return ERROR_INVALID_HANDLE;
  const DWORD sectorsPerCluster = clusterSize_ / sectorSize_;
  while (remaining > 0) {
    const std::size_t index = static_cast<std::size_t>(offset / clusterSize_);
    const std::size_t within = static_cast<std::size_t>(offset % clusterSize_);
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, clusterSize_ - within));
    std::uint64_t sector = 0;
    FAT_GetFirstSectorOfCluster(volume_, clusters_[index], &sector);
    if (FAT_ReadSectors(volume_, sector, sectorsPerCluster, buffer_.data()) != LAYER_SUCCESS) return ERROR_READ_FAULT;
    std::memcpy(to, buffer_.data() + within, piece);
    to += piece;
    offset += piece;
    remaining -= piece;
    bytesRead += static_cast<DWORD>(piece);
  }
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
