#include "shell/WizardDriveCheck.h"

#include "device/RawDevice.h"
#include "fat/FatVolume.h"
#include "ntfs/NtfsVolume.h"
#include "platform/DriveNamespace.h"
#include "platform/Format.h"
#include "platform/WinError.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/ScanChecks.h"
#include "shell/DriveRows.h"

namespace tarvosk {

namespace {

std::u16string text(unsigned id) { return std::u16string(loadString(id)); }

std::u16string physicalDriveProblem(const std::u16string& drive) {
  SetLastError(ERROR_SUCCESS);
  const DWORD device = RAW_OpenDevice(static_cast<DWORD>(drive[0] - physicalDriveCharacter(0)));
  if (device == INVALID_LAYER_HANDLE) return text(res::IDS_CANNOT_OPEN_DEVICE) + u"\n" + systemErrorText(GetLastError());
  RAW_CloseDevice(device);
  return {};
}

std::u16string fatProblem(const std::u16string& drive) {
  const DWORD volume = FAT_OpenDevice(drive.c_str());
  if (volume == INVALID_LAYER_HANDLE) return format(loadString(res::IDS_CANNOT_OPEN_DRIVE), drive);
  FAT_CloseDevice(volume);
  return {};
}

std::u16string ntfsProblem(const std::u16string& drive) {
  const DWORD volume = OpenMFT(drive.c_str());
  if (volume == INVALID_LAYER_HANDLE) return format(loadString(res::IDS_OPEN_DRIVE_NEEDS_ADMIN), drive);
  CloseMFT(volume);
  return {};
}

}  // namespace

std::u16string wizardDriveProblem(WizardScanType type, const std::u16string& drive) {
  if (type == WizardScanType::Thorough) return physicalDriveProblem(drive);
  if (!IsDiskInDrive(drive)) return cannotOpenDriveMessage(drive, systemErrorText(GetLastError()));
  const std::u16string root = drive + u"\\";
  if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return fatProblem(drive);
  switch (GetDrivePartitionType(drive[0])) {
    case PARTITION_TYPE_UNKNOWN: return cannotOpenDriveMessage(drive, text(res::IDS_PARTITION_TYPE_UNRECOGNIZED));
    case PARTITION_TYPE_FAT: return fatProblem(drive);
    default: return ntfsProblem(drive);
  }
}

}  // namespace tarvosk
