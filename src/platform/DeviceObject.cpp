#include "platform/DeviceObject.h"

#include <cstring>
#include <vector>

#include "platform/DiskGeometry.h"

namespace tarvosk {

DeviceObject::DeviceObject(std::shared_ptr<DiskSource> source, DeviceWindow window)
    : source_(std::move(source)), window_(std::move(window)) {}

// Disks are read in whole sectors at sector boundaries, as Windows requires of volume and disk
// handles. A read that does not lie wholly inside the window fails: a short read at the end of a
// disk must never look like a success.
BOOL DeviceObject::read(void* buffer, DWORD length, DWORD* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  std::uint32_t sector = source_->sectorSize();
  if (length % sector != 0 || position_ % sector != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (length == 0) return TRUE;
  if (position_ > window_.length || length > window_.length - position_) {
    SetLastError(ERROR_SECTOR_NOT_FOUND);
    return FALSE;
  }
  DWORD error = source_->read(window_.offset + position_, buffer, length);
  if (error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  position_ += length;
  if (bytesRead) *bytesRead = length;
  return TRUE;
}

BOOL DeviceObject::size(std::uint64_t& out) {
  out = window_.length;
  return TRUE;
}

BOOL DeviceObject::control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (returned) *returned = 0;
  switch (code) {
    case IOCTL_DISK_GET_DRIVE_GEOMETRY: return driveGeometry(out, outSize, returned);
    case IOCTL_DISK_GET_PARTITION_INFO: return partitionInformation(out, outSize, returned);
    case IOCTL_DISK_GET_LENGTH_INFO: return lengthInformation(out, outSize, returned);
    case IOCTL_STORAGE_QUERY_PROPERTY: return storageProperty(in, inSize, out, outSize, returned);
    default: break;
  }
  SetLastError(ERROR_INVALID_FUNCTION);
  return FALSE;
}

BOOL DeviceObject::driveGeometry(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(DISK_GEOMETRY)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  Geometry g = exactGeometry(source_->size() / source_->sectorSize());
  DISK_GEOMETRY geometry{};
  geometry.Cylinders.QuadPart = static_cast<LONGLONG>(g.cylinders);
  geometry.MediaType = window_.removable ? RemovableMedia : FixedMedia;
  geometry.TracksPerCylinder = g.tracksPerCylinder;
  geometry.SectorsPerTrack = g.sectorsPerTrack;
  geometry.BytesPerSector = source_->sectorSize();
  std::memcpy(out, &geometry, sizeof geometry);
  if (returned) *returned = sizeof geometry;
  return TRUE;
}

BOOL DeviceObject::partitionInformation(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(PARTITION_INFORMATION)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  PARTITION_INFORMATION info{};
  info.StartingOffset.QuadPart = static_cast<LONGLONG>(window_.offset);
  info.PartitionLength.QuadPart = static_cast<LONGLONG>(window_.length);
  info.HiddenSectors = static_cast<DWORD>(window_.offset / source_->sectorSize());
  info.PartitionNumber = window_.partitionNumber;
  info.PartitionType = window_.partitionType;
  info.RecognizedPartition = window_.recognized ? 1 : 0;
  std::memcpy(out, &info, sizeof info);
  if (returned) *returned = sizeof info;
  return TRUE;
}

BOOL DeviceObject::lengthInformation(void* out, DWORD outSize, DWORD* returned) {
  if (!out || outSize < sizeof(GET_LENGTH_INFORMATION)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  GET_LENGTH_INFORMATION info{};
  info.Length.QuadPart = static_cast<LONGLONG>(window_.length);
  std::memcpy(out, &info, sizeof info);
  if (returned) *returned = sizeof info;
  return TRUE;
}

// The standard device descriptor, followed by the product text. A buffer too small for the
// text still gets the header (Version and Size) so that a caller can ask again.
BOOL DeviceObject::storageProperty(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
  if (!in || inSize < 8) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  STORAGE_PROPERTY_QUERY query{};
  std::memcpy(&query, in, 8);
  if (query.PropertyId != StorageDeviceProperty || query.QueryType != PropertyStandardQuery) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return FALSE;
  }
  if (!out || outSize < 8) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::vector<std::uint8_t> bytes(sizeof(STORAGE_DEVICE_DESCRIPTOR), 0);
  STORAGE_DEVICE_DESCRIPTOR d{};
  d.Version = sizeof(STORAGE_DEVICE_DESCRIPTOR);
  d.RemovableMedia = window_.removable ? 1 : 0;
  d.BusType = source_->isBlockDevice() ? BusTypeUnknown : BusTypeFileBackedVirtual;
  d.ProductIdOffset = static_cast<DWORD>(bytes.size());
  bytes.insert(bytes.end(), window_.model.begin(), window_.model.end());
  bytes.push_back(0);
  d.Size = static_cast<DWORD>(bytes.size());
  std::memcpy(bytes.data(), &d, sizeof d);
  DWORD n = outSize < d.Size ? outSize : d.Size;
  if (n < d.Size && n >= sizeof d) {
    d.ProductIdOffset = 0;  // the text does not fit: say there is none
    std::memcpy(bytes.data(), &d, sizeof d);
    n = sizeof d;
  } else if (n < sizeof d) {
    n = 8;
  }
  std::memcpy(out, bytes.data(), n);
  if (returned) *returned = n;
  return TRUE;
}

}  // namespace tarvosk
