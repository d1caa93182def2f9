#include "shell/WizardRange.h"

#include <algorithm>
#include <limits>

#include "device/RawDevice.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "shell/DriveRows.h"

namespace tarvosk {

namespace {

std::uint64_t volumeClusters(const std::u16string& drive) {
  const std::u16string root = drive + u"\\";
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  ULARGE_INTEGER available{}, total{}, totalFree{};
  const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  const bool read = GetDiskFreeSpaceW(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters) &&
                    GetDiskFreeSpaceExW(root.c_str(), &available, &total, &totalFree);
  SetErrorMode(previousMode);
  const std::uint64_t clusterBytes = static_cast<std::uint64_t>(sectorsPerCluster) * bytesPerSector;
  return read && clusterBytes != 0 ? total.QuadPart / clusterBytes : 0;
}

std::uint64_t driveSectors(const std::u16string& drive) {
  const DWORD device = RAW_OpenDevice(static_cast<DWORD>(drive[0] - physicalDriveCharacter(0)));
  if (device == INVALID_LAYER_HANDLE) return 0;
  std::uint64_t sectors = 0;
  if (RAW_GetTotalSectors(device, &sectors) != LAYER_SUCCESS) sectors = 0;
  RAW_CloseDevice(device);
  return sectors;
}

}  // namespace

std::uint64_t wizardUnitCount(WizardScanType type, const std::u16string& drive) {
  return type == WizardScanType::Thorough ? driveSectors(drive) : volumeClusters(drive);
}

std::int64_t typedNumber(std::u16string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
  const bool negative = i < text.size() && text[i] == u'-';
  if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) ++i;
  constexpr std::uint64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::uint64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    const auto digit = static_cast<std::uint64_t>(text[i] - u'0');
    value = value > (kLimit + 1 - digit) / 10 ? kLimit + 1 : value * 10 + digit;  // held just past the limit
  }
  if (negative) return value > kLimit ? std::numeric_limits<std::int64_t>::min() : -static_cast<std::int64_t>(value);
  return static_cast<std::int64_t>(std::min(value, kLimit));
}

RangeValues startTyped(const RangeSliderModel& range, std::u16string_view text) {
  const double start = std::max(static_cast<double>(typedNumber(text)), range.minimum());
  return {start, std::max(range.right(), start)};
}

RangeValues endTyped(const RangeSliderModel& range, std::u16string_view text) {
  const double end = std::min(static_cast<double>(typedNumber(text)), range.maximum());
  return {std::min(range.left(), end), end};
}

}  // namespace tarvosk
