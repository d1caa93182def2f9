#include "volfs/FatFreeSpace.h"

#include <algorithm>
#include <vector>

#include "fat/FatEntry.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {
// FAT bytes read per request.
constexpr std::uint64_t kChunkSectors = 256;
}  // namespace

DWORD countFreeClusters(WCHAR letter, const FatBootSector& boot, std::uint64_t& freeClusters) {
  freeClusters = 0;
  std::u16string path = format(u"\\\\.\\%c:", letter);
  HANDLE volume = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_NO_BUFFERING, nullptr);
  if (volume == INVALID_HANDLE_VALUE) return GetLastError();
  // The FAT bytes that hold the entries of every cluster (plus the slack of a straddling entry).
  const std::uint64_t lastCluster = boot.clusterCount + kFirstDataCluster - 1;
  const std::uint64_t neededBytes = fatEntryOffset(boot.type, lastCluster) + 4;
  const std::uint64_t fatBytes = static_cast<std::uint64_t>(boot.sectorsPerFat) * boot.bytesPerSector;
  const std::uint64_t bytes = std::min(neededBytes, fatBytes);
  const std::uint64_t sectors = (bytes + boot.bytesPerSector - 1) / boot.bytesPerSector;
  // FAT sectors past the end of the volume cannot be read: their clusters count as in use, as
  // unreadable sectors do. They are neither allocated nor asked for, since a damaged boot
  // sector can claim a FAT of gigabytes on a small volume.
  GET_LENGTH_INFORMATION length{};
  DWORD returned = 0;
  std::uint64_t onVolume = sectors;
  if (DeviceIoControl(volume, IOCTL_DISK_GET_LENGTH_INFO, nullptr, 0, &length, sizeof length, &returned, nullptr)) {
    const std::uint64_t volumeSectors = static_cast<std::uint64_t>(length.Length.QuadPart) / boot.bytesPerSector;
    onVolume = std::min(sectors, volumeSectors - std::min<std::uint64_t>(volumeSectors, boot.reservedSectors));
  }
  std::vector<std::uint8_t> fat(static_cast<std::size_t>(onVolume * boot.bytesPerSector));
  // Reads count sectors of the FAT from its sector first into place; false if any failed.
  auto readFat = [&](std::uint64_t first, std::uint64_t count) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>((boot.reservedSectors + first) * boot.bytesPerSector);
    DWORD want = static_cast<DWORD>(count * boot.bytesPerSector);
    DWORD got = 0;
    return SetFilePointerEx(volume, at, nullptr, FILE_BEGIN) &&
           ReadFile(volume, fat.data() + first * boot.bytesPerSector, want, &got, nullptr) && got == want;
  };
  std::uint64_t unreadable = sectors - onVolume;
  for (std::uint64_t s = 0; s < onVolume; s += kChunkSectors) {
    const std::uint64_t n = std::min(kChunkSectors, onVolume - s);
    if (readFat(s, n)) continue;
    // A failing disk: the sectors that read are counted, those that do not count as in use.
    for (std::uint64_t one = s; one < s + n; ++one) {
      if (readFat(one, 1)) continue;
      ++unreadable;
      std::fill_n(fat.begin() + static_cast<std::ptrdiff_t>(one * boot.bytesPerSector), boot.bytesPerSector, 0xFF);
    }
  }
  CloseHandle(volume);
  if (unreadable == sectors) return ERROR_READ_FAULT;
  const ByteSpan all(fat.data(), fat.size());
  for (std::uint64_t c = kFirstDataCluster; c <= lastCluster; ++c) {
    const std::uint64_t off = fatEntryOffset(boot.type, c);
    if (off >= all.size()) break;  // a FAT too short for its clusters: the rest is not counted
    if (decodeFatEntry(boot.type, c, all.subspan(static_cast<std::size_t>(off))) == 0) ++freeClusters;
  }
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
