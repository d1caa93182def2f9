#include "volfs/FileSystems.h"

namespace tarvosk {

void registerFileSystemProviders() {
  registerVolumeProvider(makeFatVolumeProvider());
  registerVolumeProvider(makeNtfsVolumeProvider());
  registerVolumeProvider(makeExfatVolumeProvider());
}

}  // namespace tarvosk
