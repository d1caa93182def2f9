// A disk image file or block device, opened read-only, with its bad sector ranges.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/DriveNamespace.h"
#include "platform/WinTypes.h"

namespace tarvosk {

class DiskSource {
 public:
  // Opens path read-only. Returns null and sets error on failure.
  static std::shared_ptr<DiskSource> open(const std::string& path, DWORD& error);
  ~DiskSource();
  DiskSource(const DiskSource&) = delete;
  DiskSource& operator=(const DiskSource&) = delete;

  const std::string& path() const { return path_; }
  std::uint64_t size() const { return size_; }
  std::uint32_t sectorSize() const { return sectorSize_; }
  bool isBlockDevice() const { return blockDevice_; }
  // The block device's model, or the image's file name.
  const std::string& model() const { return model_; }
  bool reportsRemovable() const { return removable_; }
  void setBadSectors(std::vector<BadSectorRange> ranges) { badSectors_ = std::move(ranges); }

  // Reads exactly length bytes at offset. Returns ERROR_SUCCESS, ERROR_CRC when the range
  // touches a bad sector (or the device reports an I/O error), ERROR_SECTOR_NOT_FOUND when it
  // does not lie wholly on the disk. A run of small reads, each starting where the one before
  // ended (a carving scan reads a volume one cluster at a time), is served from a window read
  // ahead in one call; every other read goes to the file as it is asked.
  DWORD read(std::uint64_t offset, void* buffer, std::size_t length) const;

  // True if path names this source (the same file or device, through any name or link).
  bool isSameFile(const std::string& otherPath) const;

 private:
  DiskSource() = default;
  bool touchesBadSector(std::uint64_t offset, std::size_t length) const;
  DWORD readFile(std::uint64_t offset, void* buffer, std::size_t length) const;
  bool readAheadHolds(std::uint64_t offset, std::size_t length) const;

  std::string path_;
  std::string model_;
  int fd_ = -1;
  std::uint64_t size_ = 0;
  std::uint32_t sectorSize_ = 512;
  bool blockDevice_ = false;
  bool removable_ = false;
  std::uint64_t device_ = 0;
  std::uint64_t inode_ = 0;
  std::vector<BadSectorRange> badSectors_;
  mutable std::vector<std::uint8_t> readAhead_;
  mutable std::uint64_t readAheadOffset_ = 0;
  mutable std::uint64_t nextSequential_ = ~0ull;
};

}  // namespace tarvosk
