#include "shell/DriveRows.h"

#include <cstring>

#include "device/RawDevice.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/Format.h"
#include "platform/Files.h"
#include "platform/ResultCodes.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {

std::u16string rootOf(char16_t letter) { return std::u16string{letter, u':', u'\\'}; }

}  // namespace

std::u16string volumeSizeText(std::uint64_t bytes) {
  const double size = static_cast<double>(bytes);
  if (bytes > 1000000000ull) return format(u"%.1f Gb", size / 1e9);
  if (bytes > 1000000ull) return format(u"%.1f Mb", size / 1e6);
  if (bytes > 1000ull) return format(u"%.1f Kb", size / 1000);
  return format(u"%d 字节", static_cast<std::uint32_t>(bytes));
}

std::u16string diskCapacityText(std::uint64_t bytes) {
  const std::uint64_t megabytes = bytes / 1000000;
  if (megabytes < 1024) return format(u"%.1f Mb", static_cast<double>(megabytes));
  return format(u"%.1f Gb", static_cast<double>(megabytes) / 1000);
}

std::u16string driveDisplayName(char16_t letter) {
  const std::u16string root = rootOf(letter);
  WCHAR label[MAX_PATH + 1] = {};
  UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
  const bool haveLabel = GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
                         label[0] != 0;
  SetErrorMode(previousMode);
  std::u16string name = haveLabel ? std::u16string(label)
                                  : std::u16string(GetDriveTypeW(root.c_str()) == DRIVE_REMOVABLE ? u"可移动磁盘" : u"本地磁盘");
  return name + u" (" + letter + u":)";
}

std::vector<LogicalDriveRow> logicalDriveRows() {
  std::vector<LogicalDriveRow> rows;
  WCHAR roots[26 * 4 + 1] = {};
  const DWORD length = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(roots)), roots);
  for (const WCHAR* root = roots; root < roots + length && *root; root += std::char_traits<char16_t>::length(root) + 1) {
    LogicalDriveRow row;
    row.letter = root[0];
    row.name = driveDisplayName(row.letter);
    UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    WCHAR fileSystem[MAX_PATH + 1] = {};
    if (GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH + 1)) row.fileSystem = fileSystem;
    ULARGE_INTEGER available{}, total{}, totalFree{};
    if (GetDiskFreeSpaceExW(root, &available, &total, &totalFree)) row.size = volumeSizeText(total.QuadPart);
    SetErrorMode(previousMode);
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<PhysicalDriveRow> physicalDriveRows(bool needsMediaType) {
  std::vector<PhysicalDriveRow> rows;
  for (int n = 0; n < kMaxPhysicalDrives; ++n) {
    const DWORD handle = RAW_OpenDevice(static_cast<DWORD>(n));
    if (handle == INVALID_LAYER_HANDLE) continue;
    DWORD mediaType = 0;
    if (!needsMediaType || RAW_GetMediaType(handle, &mediaType) == LAYER_SUCCESS) {
      PhysicalDriveRow row;
      row.deviceNumber = n;
      row.driveCharacter = physicalDriveCharacter(n);
      row.name = format(u"硬盘 %d", static_cast<int>(rows.size()));
      DWORD sectorSize = 0;
      std::uint64_t sectors = 0;
      if (RAW_GetSectorSize(handle, &sectorSize) == LAYER_SUCCESS && RAW_GetTotalSectors(handle, &sectors) == LAYER_SUCCESS)
        row.capacity = diskCapacityText(static_cast<std::uint64_t>(sectorSize) * sectors);
      char label[RAW_LABEL_BYTES + 1] = {};
      RAW_GetLabel(handle, label, RAW_LABEL_BYTES);
      row.model = ansiToWide(std::string_view(label, strnlen(label, RAW_LABEL_BYTES)));
      rows.push_back(std::move(row));
    }
    RAW_CloseDevice(handle);
  }
  return rows;
}

}  // namespace tarvosk
