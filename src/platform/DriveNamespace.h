// The drive namespace: disk images and block devices as drive letters and physical drives.
//
// An image or block device with an MBR or GPT partition table is a physical drive whose FAT,
// NTFS and exFAT partitions get drive letters; a bare FAT, NTFS or exFAT volume is both a letter
// and a physical drive; anything else is a physical drive only. Images take letters from C: and physical drive
// numbers from 0 in the order attached, then block devices; at most 16 physical drives.
// Sources are opened read-only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/WinTypes.h"

DWORD GetLogicalDrives();
DWORD GetLogicalDriveStringsW(DWORD bufferLength, LPWSTR buffer);
UINT GetDriveTypeW(LPCWSTR rootPath);

namespace tarvosk {

constexpr int kMaxPhysicalDrives = 16;

// Sectors of 512 bytes counted from the start of the image.
struct BadSectorRange {
  std::uint64_t firstSector = 0;
  std::uint64_t sectorCount = 0;
};

struct AttachOptions {
  bool removable = false;
  // Reads that touch one of these ranges fail with ERROR_CRC (a failing disk).
  std::vector<BadSectorRange> badSectors;
};

enum class FileSystemKind { None, Fat12, Fat16, Fat32, Ntfs, Exfat };

struct LogicalDriveInfo {
  WCHAR letter = 0;
  int physicalDrive = -1;        // the drive that holds the volume
  std::uint64_t offset = 0;      // bytes from the start of the physical drive
  std::uint64_t length = 0;      // bytes
  std::uint8_t partitionType = 0;  // MBR type byte, or the one that matches the file system
  std::uint32_t partitionNumber = 0;  // 1-based; 0 for a bare volume
  FileSystemKind fileSystem = FileSystemKind::None;
  bool removable = false;
  std::string mountPoint;        // host mount point, empty if the host has not mounted it
};

struct PhysicalDriveInfo {
  int number = -1;
  std::string sourcePath;        // the image file or block device
  std::string model;             // the block device's model, or the image's file name
  std::uint64_t sizeBytes = 0;
  std::uint32_t sectorSize = 512;
  bool removable = false;
  bool partitioned = false;      // holds an MBR or GPT partition table
};

struct AttachResult {
  int physicalDrive = -1;
  std::vector<WCHAR> letters;
};

// Attaches a disk image (or a block device given by path). Returns false and sets the last
// error when the file cannot be opened or all physical drive numbers are taken.
bool attachImage(const std::string& path, const AttachOptions& options = {}, AttachResult* result = nullptr);

struct DeviceFailure {
  std::string path;
  DWORD error = 0;
};

// Attaches the machine's block devices (whole disks, not partitions, loop or RAM devices) that
// are not attached yet. Only the front ends call this; tests never touch the machine's disks.
// Returns how many were attached; the devices that could not be opened go into failures when
// it is given.
int attachBlockDevices(std::vector<DeviceFailure>* failures = nullptr);

// Detaches everything (open handles on the drives keep working until closed).
void detachAll();

std::vector<LogicalDriveInfo> logicalDrives();
std::vector<PhysicalDriveInfo> physicalDrives();
bool findLogicalDrive(WCHAR letter, LogicalDriveInfo& out);

// The letter of the attached drive whose volume holds a path, or 0: the letter of "C:\..." when C:
// is attached, or the drive the host has mounted where a host path (or its nearest existing
// folder) lies. The recovery uses it to keep its output off the drive it reads.
WCHAR driveLetterHoldingPath(std::u16string_view path);
bool findPhysicalDrive(int number, PhysicalDriveInfo& out);

}  // namespace tarvosk
