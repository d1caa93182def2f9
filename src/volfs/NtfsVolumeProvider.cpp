// The NTFS provider of the volume services: mounts volumes whose boot sector says NTFS.
#include "volfs/FileSystems.h"
#include "volfs/NtfsMountedVolume.h"

namespace tarvosk {

namespace {

class NtfsVolumeProvider : public VolumeProvider {
 public:
  std::unique_ptr<MountedVolume> mount(WCHAR letter, const std::uint8_t* bootSector) override {
    return NtfsMountedVolume::open(letter, bootSector);
  }
};

}  // namespace

std::shared_ptr<VolumeProvider> makeNtfsVolumeProvider() { return std::make_shared<NtfsVolumeProvider>(); }

}  // namespace tarvosk
