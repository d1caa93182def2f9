// A handle on a physical drive or a volume: a read-only window over a disk source, read in whole
// sectors, answering the disk's device control codes.
#pragma once

#include <memory>
#include <string>

#include "platform/DiskSource.h"
#include "platform/KernelObject.h"

namespace tarvosk {

struct DeviceWindow {
  std::uint64_t offset = 0;        // bytes from the start of the disk
  std::uint64_t length = 0;        // bytes
  std::uint32_t partitionNumber = 0;
  std::uint8_t partitionType = 0;
  bool recognized = false;         // holds a file system the platform knows
  bool removable = false;
  std::string model;
};

class DeviceObject : public PositionedObject {
 public:
  DeviceObject(std::shared_ptr<DiskSource> source, DeviceWindow window);
  BOOL read(void* buffer, DWORD length, DWORD* bytesRead) override;
  BOOL size(std::uint64_t& out) override;
  BOOL control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) override;

 private:
  BOOL driveGeometry(void* out, DWORD outSize, DWORD* returned);
  BOOL partitionInformation(void* out, DWORD outSize, DWORD* returned);
  BOOL lengthInformation(void* out, DWORD outSize, DWORD* returned);
  BOOL storageProperty(const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);

  std::shared_ptr<DiskSource> source_;
  DeviceWindow window_;
};

}  // namespace tarvosk
