// An NTFS volume that the host has not mounted, as the volume services see it: free space from
// the $Bitmap, the label from $Volume, and read-only access to live files and folders.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ntfs/NtfsVolume.h"
#include "platform/VolumeServices.h"
#include "volfs/NtfsNameIndex.h"

namespace tarvosk {

class NtfsMountedVolume : public MountedVolume {
 public:
  // Opens the volume of the letter with the geometry of its boot sector; null if it cannot.
  static std::unique_ptr<NtfsMountedVolume> open(WCHAR letter, const std::uint8_t* bootSector);
  ~NtfsMountedVolume() override = default;
  NtfsMountedVolume(const NtfsMountedVolume&) = delete;
  NtfsMountedVolume& operator=(const NtfsMountedVolume&) = delete;

  DWORD space(VolumeSpace& out) override;
  DWORD information(VolumeInformation& out) override;
  DWORD stat(const std::u16string& path, VolumeFileInfo& out) override;
  DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) override;
  DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) override;

 private:
  explicit NtfsMountedVolume(std::shared_ptr<NtfsVolumeEntry> volume);
  // The record of a path: ERROR_SUCCESS, ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND.
  DWORD resolve(const std::u16string& path, std::uint64_t& record, std::optional<NtfsNameEntry>* entry);
  DWORD describe(std::uint64_t record, const NtfsNameEntry* entry, VolumeFileInfo& out);
  NtfsNameIndex& names();
  // Counts the clear bits of the $Bitmap for the volume's clusters; false if it cannot be read.
  bool countFreeClusters(std::uint64_t& free);

  // Shared with the open files' readers, which may outlive the mounted volume (a file stays
  // readable until closed, even after its drive is detached).
  std::shared_ptr<NtfsVolumeEntry> shared_;
  NtfsVolumeEntry& volume_;
  std::uint64_t totalClusters_ = 0;
  std::uint32_t serialNumber_ = 0;
  std::optional<std::uint64_t> freeClusters_;
  std::optional<NtfsNameIndex> names_;
};

}  // namespace tarvosk
