#include "scan/DriveUnits.h"

#include <span>

#include "device/RawDevice.h"
#include "exfat/ExfatVolume.h"
#include "fat/FatVolume.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/NtfsVolume.h"
#include "scan/FileEntry.h"

namespace tarvosk {

namespace {

class FatUnits : public DriveUnits {
 public:
  FatUnits(DWORD handle, DWORD clusterSize, DWORD sectorSize)
      : handle_(handle), clusterSize_(clusterSize), sectorsPerCluster_(clusterSize / sectorSize) {}
  std::uint32_t unitSize() const override { return clusterSize_; }
  bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) override {
    std::uint64_t sector = 0;
    if (FAT_GetFirstSectorOfCluster(handle_, unit, &sector) != LAYER_SUCCESS) return false;
    return FAT_ReadSectors(handle_, sector, sectorsPerCluster_ * count, buffer) == LAYER_SUCCESS;
  }
  bool isFree(std::uint64_t unit) override {
    std::uint64_t entry = 0;  // an entry that cannot be read counts as free
    DWORD end = 0;
    if (FAT_GetClusterEntry(handle_, unit, &entry, &end) != LAYER_SUCCESS) entry = 0;
    return entry == 0;
  }

 private:
  DWORD handle_, clusterSize_, sectorsPerCluster_;
};

class NtfsUnits : public DriveUnits {
 public:
  NtfsUnits(DWORD handle, DWORD clusterSize) : handle_(handle), clusterSize_(clusterSize) {}
  std::uint32_t unitSize() const override { return clusterSize_; }
  bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) override {
    return ReadClusters(handle_, unit, count, std::span<BYTE>(buffer, std::size_t{clusterSize_} * count)) == 0;
  }
  bool isFree(std::uint64_t unit) override {
    DWORD free = 0;
    return IsClusterFree(handle_, unit, &free) == 0 && free != 0;
  }

 private:
  DWORD handle_, clusterSize_;
};

class ExfatUnits : public DriveUnits {
 public:
  ExfatUnits(DWORD handle, DWORD clusterSize) : handle_(handle), clusterSize_(clusterSize) {}
  std::uint32_t unitSize() const override { return clusterSize_; }
  bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) override {
    return EXFAT_ReadClusters(handle_, unit, count, buffer) == LAYER_SUCCESS;
  }
  // Clusters outside the heap are never free; a bitmap that cannot be read counts them as free.
  bool isFree(std::uint64_t unit) override {
    DWORD free = 1;
    DWORD code = EXFAT_IsClusterFree(handle_, unit, &free);
    return code == LAYER_READ_FAILED || (code == LAYER_SUCCESS && free != 0);
  }

 private:
  DWORD handle_, clusterSize_;
};

class RawUnits : public DriveUnits {
 public:
  RawUnits(DWORD handle, DWORD sectorSize) : handle_(handle), sectorSize_(sectorSize) {}
  std::uint32_t unitSize() const override { return sectorSize_; }
  bool read(std::uint64_t unit, std::uint32_t count, std::uint8_t* buffer) override {
    return RAW_ReadSectors(handle_, unit, count, buffer) == LAYER_SUCCESS;
  }
  bool isFree(std::uint64_t) override { return true; }

 private:
  DWORD handle_, sectorSize_;
};

}  // namespace

std::unique_ptr<DriveUnits> driveUnitsOf(std::uint8_t entryKind, DWORD handle) {
  DWORD unit = 0, sector = 0;
  switch (entryKind) {
    case ENTRY_KIND_FAT:
      if (FAT_GetClusterSize(handle, &unit) != LAYER_SUCCESS || FAT_GetSectorSize(handle, &sector) != LAYER_SUCCESS ||
          sector == 0 || unit < sector)
        return nullptr;
      return std::make_unique<FatUnits>(handle, unit, sector);
    case ENTRY_KIND_NTFS:
      if (GetNTFSClusterSize(handle, &unit) != 0 || unit == 0) return nullptr;
      return std::make_unique<NtfsUnits>(handle, unit);
    case ENTRY_KIND_RAW_DEVICE:
      if (RAW_GetSectorSize(handle, &unit) != LAYER_SUCCESS || unit == 0) return nullptr;
      return std::make_unique<RawUnits>(handle, unit);
    case ENTRY_KIND_EXFAT:
      if (EXFAT_GetClusterSize(handle, &unit) != LAYER_SUCCESS || unit == 0) return nullptr;
      return std::make_unique<ExfatUnits>(handle, unit);
    default: return nullptr;
  }
}

}  // namespace tarvosk
