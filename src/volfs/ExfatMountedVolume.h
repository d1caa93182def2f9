// An exFAT volume that the host has not mounted, seen through the exFAT reader: free space from
// the allocation bitmap, the label from the root folder, read-only access to live files.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "exfat/ExfatEntrySet.h"
#include "platform/VolumeServices.h"

namespace tarvosk {

class ExfatMountedVolume : public MountedVolume {
 public:
  // The volume of the drive letter, or null when the exFAT reader cannot open it.
  static std::unique_ptr<ExfatMountedVolume> open(WCHAR letter);
  ~ExfatMountedVolume() override;
  ExfatMountedVolume(const ExfatMountedVolume&) = delete;
  ExfatMountedVolume& operator=(const ExfatMountedVolume&) = delete;

  DWORD space(VolumeSpace& out) override;
  DWORD information(VolumeInformation& out) override;
  DWORD stat(const std::u16string& path, VolumeFileInfo& out) override;
  DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) override;
  DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) override;

 private:
  explicit ExfatMountedVolume(DWORD handle) : handle_(handle) {}
  struct Found {
    VolumeFileInfo info;
    ExfatEntrySet set;
  };
  // Walks a folder's live sets; visit returns true to stop (and keep the handle it was given).
  template <class Visit>
  DWORD walkFolder(DWORD folderHandle, Visit visit);
  // The open file handle of the folder at path ("" is the root), closed by the caller.
  DWORD openFolder(const std::u16string& path, DWORD& folderHandle);
  DWORD find(const std::u16string& path, Found& out);
  bool sameName(const std::u16string& a, const std::u16string& b) const;

  DWORD handle_;
  std::optional<std::uint64_t> freeClusters_;
};

}  // namespace tarvosk
