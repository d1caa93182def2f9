#include "shell/WizardDriveCheck.h"

#include "device/RawDevice.h"
#include "exfat/ExfatVolume.h"
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

// A FAT or exFAT layer that cannot open the volume: string 221 alone.
template <DWORD (*open)(const WCHAR*), DWORD (*close)(DWORD)>
std::u16string fatFamilyProblem(const std::u16string& drive) {
  const DWORD volume = open(drive.c_str());
  if (volume == INVALID_LAYER_HANDLE) return format(loadString(res::IDS_CANNOT_OPEN_DRIVE), drive);
  close(volume);
  return {};
}

constexpr auto fatProblem = fatFamilyProblem<FAT_OpenDevice, FAT_CloseDevice>;
constexpr auto exfatProblem = fatFamilyProblem<EXFAT_OpenDevice, EXFAT_CloseDevice>;

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
  // exFAT shares NTFS's partition type and is scanned as exFAT on any drive, as the scan itself
  // decides.
  if (isExfatVolume(drive)) return exfatProblem(drive);
  const std::u16string root = drive + u"\\";
  if (GetDriveTypeW(root.c_str()) != DRIVE_FIXED) return fatProblem(drive);
  switch (GetDrivePartitionType(drive[0])) {
    case PARTITION_TYPE_UNKNOWN: return cannotOpenDriveMessage(drive, text(res::IDS_PARTITION_TYPE_UNRECOGNIZED));
    case PARTITION_TYPE_FAT: return fatProblem(drive);
    default: return ntfsProblem(drive);
  }
}

}  // namespace tarvosk
