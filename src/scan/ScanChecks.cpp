#include "scan/ScanChecks.h"

#include "device/DeviceMode.h"
#include "log/Log.h"
#include "platform/DriveNamespace.h"
#include "platform/Files.h"
#include "platform/Format.h"
#include "platform/UiPorts.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"

namespace tarvosk {

namespace {

bool isRecognisedPartitionType(BYTE type) {
  auto plain = [](BYTE t) { return t == 0x01 || t == 0x04 || t == 0x06 || t == 0x07 || t == 0x0B || t == 0x0C || t == 0x0E; };
  if (plain(type)) return true;
  BYTE low = type & 0x3F;
  return (type & 0x80) && (low == 0x01 || low == 0x06 || low == 0x07 || low == 0x0B || low == 0x0C || low == 0x0E);
}

}  // namespace

bool isExfatVolume(const std::u16string& drivePath) {
  WCHAR fileSystem[512] = {};
  std::u16string root = drivePath + u"\\";
  return GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fileSystem, 512) &&
         std::u16string_view(fileSystem) == u"exFAT";
}

std::u16string cannotOpenDriveMessage(const std::u16string& what, const std::u16string& more) {
  return format(loadString(res::IDS_CANNOT_OPEN_DRIVE), what) + u"\n" + more;
}

void showScanError(const std::u16string& text) {
  userInterface().messageBox(text, kProgramTitle, MB_OK | MB_ICONEXCLAMATION);
}

bool IsDiskInDrive(const std::u16string& drivePath) {
  std::u16string root = drivePath;
  if (root.empty() || root.back() != u'\\') root += u'\\';
  WCHAR label[512], fileSystem[512];
  DWORD serial = 0, maxName = 0, flags = 0;
  UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
  BOOL ok = GetVolumeInformationW(root.c_str(), label, 512, &serial, &maxName, &flags, fileSystem, 512);
  DWORD error = GetLastError();
  SetErrorMode(previous);
  SetLastError(error);
  return ok != FALSE;
}

int GetDrivePartitionType(char16_t letter) {
  if (RAW_IsWin9xMode()) return PARTITION_TYPE_FAT;
  std::u16string device = u"\\\\.\\";
  device += letter;
  device += u':';
  HANDLE h = CreateFileW(device.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_NO_BUFFERING | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return PARTITION_TYPE_UNKNOWN;
  PARTITION_INFORMATION info{};
  DWORD returned = 0;
  BOOL ok = DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof info, &returned, nullptr);
  CloseHandle(h);
  if (!ok || returned == 0) return PARTITION_TYPE_UNKNOWN;
  BYTE type = info.PartitionType;
  if (!isRecognisedPartitionType(type)) return PARTITION_TYPE_UNKNOWN;
  return (type & 0x80) || type == 0x07 ? PARTITION_TYPE_NTFS : PARTITION_TYPE_FAT;
}

bool IsScanPossible(const std::u16string& drivePath, int& partitionType) {
  if (!IsDiskInDrive(drivePath)) {
    LOG_Write(g_logAPP, ERROR, u"CFileList::IsScanPossible(%s): No disk in drive", drivePath);
    showScanError(cannotOpenDriveMessage(drivePath, systemErrorText(GetLastError())));
    return false;
  }
  if (isExfatVolume(drivePath)) {
    partitionType = PARTITION_TYPE_EXFAT;
    return true;
  }
  partitionType = PARTITION_TYPE_FAT;
  std::u16string root = drivePath + u"\\";
  if (GetDriveTypeW(root.c_str()) == DRIVE_FIXED) partitionType = GetDrivePartitionType(drivePath[0]);
  if (partitionType != PARTITION_TYPE_UNKNOWN) return true;
  LOG_Write(g_logAPP, ERROR, u"CFileList::IsScanPossible(%s): GetDrivePartitionType() failed", drivePath);
  showScanError(cannotOpenDriveMessage(drivePath, std::u16string(loadString(res::IDS_PARTITION_TYPE_UNRECOGNIZED))));
  return false;
}

}  // namespace tarvosk
