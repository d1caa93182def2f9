// The drive namespace's own records, for the parts of the platform that open drives.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/DiskSource.h"
#include "platform/DriveNamespace.h"

namespace tarvosk {

struct PhysicalDriveRecord {
  PhysicalDriveInfo info;
  std::shared_ptr<DiskSource> source;
  // The file system of a bare volume, whose physical drive is also its volume.
  FileSystemKind bareVolume = FileSystemKind::None;
  std::uint8_t bareVolumeType = 0;
};

struct LogicalDriveRecord {
  LogicalDriveInfo info;
  std::shared_ptr<DiskSource> source;
};

bool lookupPhysicalDrive(int number, PhysicalDriveRecord& out);
bool lookupLogicalDrive(WCHAR letter, LogicalDriveRecord& out);
// True if path names an attached image or block device.
bool isAttachedSource(const std::string& path);
// Grows with every detach, so cached views of drives can tell that they are stale.
std::uint64_t namespaceGeneration();

}  // namespace tarvosk
