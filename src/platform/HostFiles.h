// Files of the host: open handles on them, and their listings in the volume services' terms.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/KernelObject.h"
#include "platform/VolumeServices.h"

namespace tarvosk {

class HostFileObject : public PositionedObject {
 public:
  HostFileObject(int fd, bool canRead, bool canWrite) : fd_(fd), canRead_(canRead), canWrite_(canWrite) {}
  ~HostFileObject() override;
  BOOL read(void* buffer, DWORD length, DWORD* bytesRead) override;
  BOOL write(const void* buffer, DWORD length, DWORD* bytesWritten) override;
  BOOL setEndOfFile() override;
  BOOL flush() override;
  BOOL size(std::uint64_t& out) override;
  BOOL times(FILETIME* creation, FILETIME* lastAccess, FILETIME* lastWrite) override;
  BOOL setTimes(const FILETIME* creation, const FILETIME* lastAccess, const FILETIME* lastWrite) override;

 private:
  int fd_;
  bool canRead_;
  bool canWrite_;
};

// The error Windows gives for a path that does not exist: ERROR_FILE_NOT_FOUND when its folder
// exists, ERROR_PATH_NOT_FOUND when the folder is missing too.
DWORD missingPathError(const std::string& hostPath);

// Attributes, size and times of a host file. Returns ERROR_SUCCESS or a Win32 error.
DWORD statHostFile(const std::string& hostPath, VolumeFileInfo& out);
DWORD listHostFolder(const std::string& hostPath, std::vector<VolumeFileInfo>& out);
DWORD openHostFileReader(const std::string& hostPath, std::unique_ptr<VolumeFileReader>& out);

}  // namespace tarvosk
