// Objects behind HANDLEs: host files, device windows, volume files, find searches. Each kind
// overrides what it supports; the rest fails as Win32 fails on such a handle.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/WinError.h"
#include "platform/WinTypes.h"

namespace tarvosk {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
  virtual BOOL read(void* buffer, DWORD length, DWORD* bytesRead);
  virtual BOOL write(const void* buffer, DWORD length, DWORD* bytesWritten);
  virtual BOOL seek(std::int64_t distance, DWORD method, std::uint64_t* newPosition);
  virtual BOOL setEndOfFile();
  virtual BOOL flush();
  virtual BOOL size(std::uint64_t& out);
  virtual BOOL times(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite);
  virtual BOOL setTimes(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite);
  virtual BOOL control(DWORD code, const void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
  virtual BOOL findNext(WIN32_FIND_DATAW* data);
};

// An object with a file position; seek works against size().
class PositionedObject : public KernelObject {
 public:
  BOOL seek(std::int64_t distance, DWORD method, std::uint64_t* newPosition) override;

 protected:
  std::uint64_t position_ = 0;
};

HANDLE registerObject(std::shared_ptr<KernelObject> object);
// The object behind handle, or null with ERROR_INVALID_HANDLE set.
std::shared_ptr<KernelObject> lookupObject(HANDLE handle);
bool closeObject(HANDLE handle);
// How many handles are open (tests check that nothing leaks).
std::size_t openHandleCount();

}  // namespace tarvosk
