// The exFAT provider of the volume services: mounts volumes whose boot sector says EXFAT.
#include "exfat/ExfatBootSector.h"
#include "volfs/ExfatMountedVolume.h"
#include "volfs/FileSystems.h"

namespace tarvosk {

namespace {

constexpr std::size_t kBootSectorBytes = 512;

class ExfatVolumeProvider : public VolumeProvider {
 public:
  std::unique_ptr<MountedVolume> mount(WCHAR letter, const std::uint8_t* bootSector) override {
    // A damaged main boot sector that still names exFAT is left to the reader, which falls back
    // on the backup boot region.
    if (!bootSector || !namesExfat(ByteSpan(bootSector, kBootSectorBytes))) return nullptr;
    return ExfatMountedVolume::open(letter);
  }
};

}  // namespace

std::shared_ptr<VolumeProvider> makeExfatVolumeProvider() { return std::make_shared<ExfatVolumeProvider>(); }

}  // namespace tarvosk
