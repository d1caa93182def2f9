// Volume services: free space, volume information and "C:\..." file access for volumes that the
// host has not mounted, answered by the provider of the volume's file system (FAT, NTFS, exFAT).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/WinTypes.h"

BOOL GetDiskFreeSpaceW(LPCWSTR rootPath, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector,
                       LPDWORD freeClusters, LPDWORD totalClusters);
BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, ULARGE_INTEGER* freeBytesAvailable,
                         ULARGE_INTEGER* totalBytes, ULARGE_INTEGER* totalFreeBytes);
BOOL GetVolumeInformationW(LPCWSTR rootPath, LPWSTR volumeName, DWORD volumeNameSize,
                           LPDWORD serialNumber, LPDWORD maxComponentLength, LPDWORD fileSystemFlags,
                           LPWSTR fileSystemName, DWORD fileSystemNameSize);

namespace tarvosk {

struct VolumeSpace {
  std::uint32_t bytesPerSector = 0;
  std::uint32_t sectorsPerCluster = 0;
  std::uint64_t freeClusters = 0;
  std::uint64_t totalClusters = 0;
};

struct VolumeInformation {
  std::u16string label;
  std::uint32_t serialNumber = 0;
  std::uint32_t maxComponentLength = 255;
  std::uint32_t fileSystemFlags = 0;
  std::u16string fileSystemName;  // "FAT12", "FAT16", "FAT32", "NTFS", "exFAT"
};

// One file or folder inside a mounted volume.
struct VolumeFileInfo {
  std::u16string name;       // long name
  std::u16string shortName;  // 8.3 name where the file system keeps one, else empty
  DWORD attributes = 0;
  std::uint64_t size = 0;
  FILETIME creationTime{};
  FILETIME lastAccessTime{};
  FILETIME lastWriteTime{};
};

// An open file's data.
class VolumeFileReader {
 public:
  virtual ~VolumeFileReader() = default;
  virtual std::uint64_t size() const = 0;
  // Reads up to length bytes at offset into buffer; bytesRead is short only at the end of the
  // file. Returns ERROR_SUCCESS or a Win32 error number.
  virtual DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) = 0;
};

// A volume as its file system provider sees it. Paths are relative to the root, components
// separated by "\", without a leading one ("" is the root folder). Every call returns
// ERROR_SUCCESS or a Win32 error number (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ...).
class MountedVolume {
 public:
  virtual ~MountedVolume() = default;
  virtual DWORD space(VolumeSpace& out) = 0;
  virtual DWORD information(VolumeInformation& out) = 0;
  virtual DWORD stat(const std::u16string& path, VolumeFileInfo& out) = 0;
  virtual DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) = 0;
  virtual DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) = 0;
};

// A file system provider: mounts a drive letter's volume if it holds its file system.
class VolumeProvider {
 public:
  virtual ~VolumeProvider() = default;
  // bootSector holds the volume's first 512 bytes. Returns null if the volume is not of this
  // provider's file system; the provider opens the volume itself ("\\.\C:").
  virtual std::unique_ptr<MountedVolume> mount(WCHAR letter, const std::uint8_t* bootSector) = 0;
};

// Providers are asked in the order registered. A volume is mounted on first use and stays
// mounted until its drive is detached.
void registerVolumeProvider(std::shared_ptr<VolumeProvider> provider);
void unregisterVolumeProviders();

// The mounted view of a drive letter, or null with the error: ERROR_PATH_NOT_FOUND for a letter
// that names no volume, ERROR_NOT_READY for an empty removable drive, ERROR_UNRECOGNIZED_VOLUME
// when no provider recognises it.
MountedVolume* mountedVolume(WCHAR letter, DWORD& error);

}  // namespace tarvosk
