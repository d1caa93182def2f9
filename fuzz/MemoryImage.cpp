#include "MemoryImage.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "FuzzTarget.h"
#include "platform/DriveNamespace.h"
#include "volfs/FileSystems.h"

namespace tarvosk::fuzz {

namespace {

constexpr std::size_t kHeaderSize = 5;
constexpr std::size_t kRecordHeader = 4;

}  // namespace

MemoryImage::MemoryImage(ByteSpan input) {
  fd_ = memfd_create("tarvosk-fuzz-image", MFD_CLOEXEC);
  require(fd_ >= 0, "memfd_create works");
  std::uint32_t sectors = le32(input, 0) % kMaxImageSectors;
  if (sectors == 0) sectors = kMaxImageSectors;
  options_ = le8(input, 4);
  sizeBytes_ = std::uint64_t{sectors} * kImageSectorSize;
  require(ftruncate(fd_, static_cast<off_t>(sizeBytes_)) == 0, "the in-memory image can be sized");
  for (std::size_t pos = kHeaderSize; pos + kRecordHeader < input.size();) {
    std::uint64_t sector = le32(input, pos) % sectors;
    pos += kRecordHeader;
    std::size_t length = std::min<std::size_t>(kImageSectorSize, input.size() - pos);
    ssize_t written = pwrite(fd_, input.data() + pos, length, static_cast<off_t>(sector * kImageSectorSize));
    require(written == static_cast<ssize_t>(length), "the in-memory image takes its sectors");
    pos += length;
  }
}

MemoryImage::~MemoryImage() {
  detachAll();
  if (fd_ >= 0) close(fd_);
}

bool MemoryImage::attach() {
  detachAll();
  return attachImage("/proc/self/fd/" + std::to_string(fd_));
}

void registerFileSystemProvidersOnce() {
  static const bool registered = (registerFileSystemProviders(), true);
  (void)registered;
}

}  // namespace tarvosk::fuzz
