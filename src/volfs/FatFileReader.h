// A live file's data on a FAT volume, read cluster by cluster along its chain.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/VolumeServices.h"

namespace tarvosk {

class FatFileReader : public VolumeFileReader {
 public:
  // Follows the chain from startCluster through the FAT of volumeHandle for as many clusters as
  // size needs. Fails with ERROR_FILE_INVALID when the chain ends early or leaves the volume.
  static DWORD open(DWORD volumeHandle, std::uint64_t startCluster, std::uint64_t size,
                    std::unique_ptr<VolumeFileReader>& out);

  std::uint64_t size() const override { return size_; }
  DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) override;

 private:
  FatFileReader() = default;
  DWORD volume_ = 0;
  std::uint64_t size_ = 0;
  DWORD clusterSize_ = 0;
  DWORD sectorSize_ = 0;
  std::vector<std::uint64_t> clusters_;
  std::vector<std::uint8_t> buffer_;  // one cluster
};

}  // namespace tarvosk
