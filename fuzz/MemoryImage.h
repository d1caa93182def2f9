// A disk image described by a fuzz input, held in memory and attached to the drive namespace,
// where a bare FAT or NTFS volume becomes drive C: and physical drive 0.
//
// Input layout: le32 image size in sectors of 512 bytes (modulo kMaxImageSectors; 0 stands for
// the largest), one byte of options for the target, then records of le32 sector number (modulo
// the size) and the sector's 512 bytes; a last, shorter record fills the start of its sector.
// Sectors no record names read as zeros, so a seed carries only a volume's non-zero sectors.
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk::fuzz {

constexpr std::uint32_t kImageSectorSize = 512;
constexpr std::uint32_t kMaxImageSectors = 1u << 17;  // 64 MiB, a sparse file in memory

class MemoryImage {
 public:
  explicit MemoryImage(ByteSpan input);
  // Detaches every drive and frees the image.
  ~MemoryImage();
  MemoryImage(const MemoryImage&) = delete;
  MemoryImage& operator=(const MemoryImage&) = delete;

  // Attaches the image to an empty drive namespace; false when it could not be attached.
  bool attach();
  std::uint8_t options() const { return options_; }
  std::uint64_t sizeBytes() const { return sizeBytes_; }

 private:
  int fd_ = -1;
  std::uint8_t options_ = 0;
  std::uint64_t sizeBytes_ = 0;
};

// Registers the FAT and NTFS file system providers, the first time only, so that an attached
// volume can be opened through its drive letter.
void registerFileSystemProvidersOnce();

}  // namespace tarvosk::fuzz
