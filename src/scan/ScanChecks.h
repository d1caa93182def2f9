// Whether a drive can be scanned, and which file system its partition type names.
#pragma once

#include <string>

namespace tarvosk {

constexpr int PARTITION_TYPE_UNKNOWN = 0;
constexpr int PARTITION_TYPE_NTFS = 1;
constexpr int PARTITION_TYPE_FAT = 2;
// An exFAT volume shares NTFS's partition type (0x07) and is known by its file system's name.
constexpr int PARTITION_TYPE_EXFAT = 3;

// Whether the volume answers at all.
bool IsDiskInDrive(const std::u16string& drivePath);
// Whether the volume's file system names itself exFAT (its partition type cannot tell).
bool isExfatVolume(const std::u16string& drivePath);
// 0 unknown or error, 1 NTFS, 2 FAT, from the partition type byte.
int GetDrivePartitionType(char16_t letter);
// A disk in the drive and a known partition type (exFAT whatever the type byte, when the volume
// says so); otherwise the user is told why.
bool IsScanPossible(const std::u16string& drivePath, int& partitionType);

// string 221 filled with what, a line break, and more.
std::u16string cannotOpenDriveMessage(const std::u16string& what, const std::u16string& more);
void showScanError(const std::u16string& text);

}  // namespace tarvosk
