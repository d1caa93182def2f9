// The provider that mounts FAT12/16/32 volumes for the platform's volume services.
#include <memory>

#include "fat/FatBootSector.h"
#include "volfs/FatMountedVolume.h"
#include "volfs/FileSystems.h"

namespace tarvosk {

namespace {

constexpr std::size_t kBootSectorBytes = 512;

class FatVolumeProvider : public VolumeProvider {
 public:
  std::unique_ptr<MountedVolume> mount(WCHAR letter, const std::uint8_t* bootSector) override {
    if (!bootSector) return nullptr;
    ByteSpan boot(bootSector, kBootSectorBytes);
    FatBootSector parsed;
    if (parseFatBootSector(boot, parsed) != BootSectorProblem::None) return nullptr;
    return std::make_unique<FatMountedVolume>(letter, parsed, boot);
  }
};

}  // namespace

std::shared_ptr<VolumeProvider> makeFatVolumeProvider() { return std::make_shared<FatVolumeProvider>(); }

}  // namespace tarvosk
