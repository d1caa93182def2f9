// The rows of the two drive lists (logical drives, physical drives) and the texts of the drive
// tree's drive nodes, read from the platform and the raw device layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarvosk {

struct LogicalDriveRow {
  char16_t letter = 0;
  std::u16string name;        // the root's display name, "本地磁盘 (C:)"
  std::u16string size;        // empty when the volume's size cannot be read
  std::u16string fileSystem;  // empty when the volume information cannot be read
};

struct PhysicalDriveRow {
  int deviceNumber = 0;
  char16_t driveCharacter = 0;  // 123 plus the device number
  std::u16string name;          // "硬盘 %d", numbered among the drives listed
  std::u16string capacity;
  std::u16string model;
};

// The drive character of physical drive n, and the drive of a character above "z".
inline char16_t physicalDriveCharacter(int deviceNumber) { return static_cast<char16_t>(123 + deviceNumber); }
inline bool isPhysicalDriveCharacter(char16_t c) { return c > u'z'; }

// The volume size as the logical drive list shows it: "%.1f Gb", "%.1f Mb", "%.1f Kb" (by
// thousands) or "%d 字节".
std::u16string volumeSizeText(std::uint64_t bytes);
// A disk's capacity as the physical drive list shows it: whole megabytes, "%.1f Mb" below 1024
// of them, else "%.1f Gb".
std::u16string diskCapacityText(std::uint64_t bytes);

// The display name of a drive root: its label, or "本地磁盘" ("可移动磁盘" for a removable
// drive) when it has none, followed by " (C:)".
std::u16string driveDisplayName(char16_t letter);

// Every logical drive the platform reports, in letter order.
std::vector<LogicalDriveRow> logicalDriveRows();

// Physical drives 0 to 15 that open; with needsMediaType, only those whose media type can be
// read as well (the lists do; the drive tree does not ask).
std::vector<PhysicalDriveRow> physicalDriveRows(bool needsMediaType);

}  // namespace tarvosk
