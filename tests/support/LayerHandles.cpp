#include "support/LayerHandles.h"

#include "device/RawDevice.h"
#include "exfat/ExfatVolume.h"
#include "fat/FatVolume.h"
#include "ntfs/NtfsVolume.h"

namespace tarvosk::test {

void closeAllLayerHandles() {
  for (DWORD h = 0; h < FAT_MAX_VOLUMES; ++h)
    if (FAT_GetVolumeEntry(h)) FAT_CloseDevice(h);
  for (DWORD h = 0; h < EXFAT_MAX_VOLUMES; ++h)
    if (EXFAT_GetVolumeEntry(h)) EXFAT_CloseDevice(h);
  for (DWORD h = 0; h < kNtfsTableSize; ++h)
    if (ntfs::openEntry(h)) CloseMFT(h);
  for (DWORD h = 0; h < RAW_MAX_DEVICES; ++h) RAW_CloseDevice(h);
}

}  // namespace tarvosk::test
