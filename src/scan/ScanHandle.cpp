#include "scan/ScanHandle.h"

#include "device/RawDevice.h"
#include "exfat/ExfatVolume.h"
#include "fat/FatVolume.h"
#include "ntfs/NtfsVolume.h"
#include "scan/FileEntry.h"

namespace tarvosk {

ScanHandle::~ScanHandle() {
  switch (kind_) {
    case ENTRY_KIND_FAT: FAT_CloseDevice(handle_); break;
    case ENTRY_KIND_NTFS: CloseMFT(handle_); break;
    case ENTRY_KIND_RAW_DEVICE: RAW_CloseDevice(handle_); break;
    case ENTRY_KIND_EXFAT: EXFAT_CloseDevice(handle_); break;
    default: break;
  }
}

}  // namespace tarvosk
