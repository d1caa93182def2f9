// A live file's data on an exFAT volume: its extent or its FAT chain, read up to the valid data
// length, zeros after it up to the data length.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "exfat/ExfatEntrySet.h"
#include "exfat/ExfatVolume.h"
#include "platform/VolumeServices.h"

namespace tarvosk {

class ExfatFileReader : public VolumeFileReader {
 public:
  // Fails with ERROR_FILE_INVALID when the clusters end before the valid data does.
  static DWORD open(DWORD volumeHandle, const ExfatEntrySet& set, std::unique_ptr<VolumeFileReader>& out);

  std::uint64_t size() const override { return size_; }
  DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) override;

 private:
  ExfatFileReader() = default;
  // The volume byte offset of a byte of the file's data.
  std::uint64_t volumeOffset(const ExfatVolumeEntry& volume, std::uint64_t offset) const;

  DWORD volume_ = 0;
  std::uint64_t size_ = 0;
  std::uint64_t valid_ = 0;
  std::vector<ExfatRun> runs_;
  std::vector<std::uint8_t> piece_;     // the stretch of one cluster read last
  std::uint64_t pieceOffset_ = ~0ull;  // its offset in the file
};

}  // namespace tarvosk
