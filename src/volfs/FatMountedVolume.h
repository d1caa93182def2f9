// A FAT volume that the host has not mounted, seen through the FAT reader: free space, volume
// name and label, and read-only access to its live files and folders.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fat/FatBootSector.h"
#include "platform/VolumeServices.h"

namespace tarvosk {

class FatMountedVolume : public MountedVolume {
 public:
  FatMountedVolume(WCHAR letter, const FatBootSector& boot, ByteSpan bootSector);
  ~FatMountedVolume() override;
  FatMountedVolume(const FatMountedVolume&) = delete;
  FatMountedVolume& operator=(const FatMountedVolume&) = delete;

  DWORD space(VolumeSpace& out) override;
  DWORD information(VolumeInformation& out) override;
  DWORD stat(const std::u16string& path, VolumeFileInfo& out) override;
  DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) override;
  DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) override;

 private:
  struct Found {
    VolumeFileInfo info;
    std::uint64_t startCluster = 0;
  };
  // The FAT volume handle, opened on first use (FAT_OpenDevice asks this volume's free space,
  // so it cannot run while the volume is being mounted).
  DWORD volumeHandle(DWORD& error);
  // Walks a folder's live entries (volume labels left out); visit returns true to stop.
  template <class Visit>
  DWORD walkFolder(DWORD folderHandle, Visit visit);
  // The open file handle of the folder at path ("" is the root), closed by the caller.
  DWORD openFolder(const std::u16string& path, DWORD& folderHandle);
  DWORD find(const std::u16string& path, Found& out);

  WCHAR letter_;
  FatBootSector boot_;
  std::u16string bootLabel_;
  std::uint32_t serial_ = 0;
  std::optional<std::uint64_t> freeClusters_;
  DWORD handle_ = 0xFFFF;
};

}  // namespace tarvosk
