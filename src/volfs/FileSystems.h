// The read-only file system drivers for volumes that the host has not mounted. Front ends call
// registerFileSystemProviders() once at start-up.
#pragma once

#include <memory>

#include "platform/VolumeServices.h"

namespace tarvosk {

std::shared_ptr<VolumeProvider> makeFatVolumeProvider();
std::shared_ptr<VolumeProvider> makeNtfsVolumeProvider();
std::shared_ptr<VolumeProvider> makeExfatVolumeProvider();

// Registers the FAT, NTFS and exFAT providers with the platform's volume services.
void registerFileSystemProviders();

}  // namespace tarvosk
