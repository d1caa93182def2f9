// The volume or device handle a scan opened, kept open while a stored list refers to it and
// closed through its layer when the last such list is destroyed. A handle number the layer
// issues again can therefore never reach a list that still means the old volume.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/WinTypes.h"

namespace tarvosk {

class ScanHandle {
 public:
  ScanHandle(std::uint8_t entryKind, DWORD handle) : kind_(entryKind), handle_(handle) {}
  ~ScanHandle();
  ScanHandle(const ScanHandle&) = delete;
  ScanHandle& operator=(const ScanHandle&) = delete;
  DWORD handle() const { return handle_; }

 private:
  std::uint8_t kind_;
  DWORD handle_;
};

}  // namespace tarvosk
