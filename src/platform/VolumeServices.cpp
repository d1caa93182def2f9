#include "platform/VolumeServices.h"

#include <sys/statvfs.h>

#include <cerrno>

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/CodePage.h"
#include "platform/DriveTable.h"
#include "platform/HostFiles.h"
#include "platform/VolumeProbe.h"
#include "platform/WinError.h"

namespace tarvosk {

namespace {

// A volume that the host has mounted: files through its mount point, space from the host.
class HostMountedVolume : public MountedVolume {
 public:
  HostMountedVolume(std::string mountPoint, FileSystemKind kind) : root_(std::move(mountPoint)), kind_(kind) {}

  DWORD space(VolumeSpace& out) override {
    struct statvfs fs {};
    if (statvfs(root_.c_str(), &fs) != 0) return win32ErrorFromErrno(errno);
    out.bytesPerSector = 512;
    out.sectorsPerCluster = static_cast<std::uint32_t>(std::max<unsigned long>(fs.f_frsize / 512, 1));
    out.freeClusters = fs.f_bavail;
    out.totalClusters = fs.f_blocks;
    return ERROR_SUCCESS;
  }
  DWORD information(VolumeInformation& out) override {
    out = VolumeInformation{};
    std::string name = fileSystemName(kind_);
    out.fileSystemName.assign(name.begin(), name.end());
    return ERROR_SUCCESS;
  }
  DWORD stat(const std::u16string& path, VolumeFileInfo& out) override { return statHostFile(hostPath(path), out); }
  DWORD list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) override {
    return listHostFolder(hostPath(folder), out);
  }
  DWORD open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) override {
    return openHostFileReader(hostPath(path), out);
  }

 private:
  std::string hostPath(const std::u16string& inner) const {
    std::u16string p = inner;
    std::replace(p.begin(), p.end(), u'\\', u'/');
    return p.empty() ? root_ : root_ + "/" + utf16ToUtf8(p);
  }

  std::string root_;
  FileSystemKind kind_;
};

struct MountedEntry {
  std::uint64_t generation = 0;
  std::unique_ptr<MountedVolume> volume;
};

struct ServicesState {
  std::mutex mutex;
  std::vector<std::shared_ptr<VolumeProvider>> providers;
  std::map<WCHAR, MountedEntry> mounted;
};

ServicesState& services() {
  static ServicesState* s = new ServicesState;
  return *s;
}

std::unique_ptr<MountedVolume> mountDrive(const LogicalDriveRecord& drive, DWORD& error) {
  if (drive.info.length == 0) {
    error = ERROR_NOT_READY;
    return nullptr;
  }
  if (!drive.info.mountPoint.empty()) return std::make_unique<HostMountedVolume>(drive.info.mountPoint, drive.info.fileSystem);
  std::vector<std::uint8_t> boot(std::max<std::uint32_t>(512, drive.source->sectorSize()));
  if (boot.size() > drive.info.length) {
    error = ERROR_UNRECOGNIZED_VOLUME;
    return nullptr;
  }
  error = drive.source->read(drive.info.offset, boot.data(), boot.size());
  if (error != ERROR_SUCCESS) return nullptr;
  std::vector<std::shared_ptr<VolumeProvider>> providers;
  {
    std::lock_guard lock(services().mutex);
    providers = services().providers;
  }
  for (const auto& provider : providers) {
    if (auto volume = provider->mount(drive.info.letter, boot.data())) return volume;
  }
  error = ERROR_UNRECOGNIZED_VOLUME;
  return nullptr;
}

WCHAR letterOfRoot(LPCWSTR rootPath) {
  if (!rootPath || !rootPath[0] || rootPath[1] != u':') return 0;
  WCHAR c = rootPath[0];
  if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
  return (c >= u'A' && c <= u'Z') ? c : 0;
}

MountedVolume* volumeOfRoot(LPCWSTR rootPath) {
  WCHAR letter = letterOfRoot(rootPath);
  if (letter == 0) {
    SetLastError(ERROR_INVALID_NAME);
    return nullptr;
  }
  DWORD error = ERROR_SUCCESS;
  MountedVolume* volume = mountedVolume(letter, error);
  if (!volume) SetLastError(error);
  return volume;
}

bool copyText(const std::u16string& text, LPWSTR buffer, DWORD size) {
  if (!buffer) return true;
  if (text.size() + 1 > size) return false;
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = u'\0';
  return true;
}

DWORD clampToDword(std::uint64_t v) { return v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<DWORD>(v); }

}  // namespace

void registerVolumeProvider(std::shared_ptr<VolumeProvider> provider) {
  std::lock_guard lock(services().mutex);
  services().providers.push_back(std::move(provider));
}

void unregisterVolumeProviders() {
  std::lock_guard lock(services().mutex);
  services().providers.clear();
  services().mounted.clear();
}

MountedVolume* mountedVolume(WCHAR letter, DWORD& error) {
  LogicalDriveRecord drive;
  if (!lookupLogicalDrive(letter, drive)) {
    error = ERROR_PATH_NOT_FOUND;
    return nullptr;
  }
  std::uint64_t generation = namespaceGeneration();
  letter = drive.info.letter;
  {
    std::lock_guard lock(services().mutex);
    auto it = services().mounted.find(letter);
    if (it != services().mounted.end() && it->second.generation == generation) {
      error = ERROR_SUCCESS;
      return it->second.volume.get();
    }
  }
  // Mounting opens the volume through the platform, so it runs outside the lock. Failures are
  // not kept: a provider registered later gets its chance.
  std::unique_ptr<MountedVolume> volume = mountDrive(drive, error);
  if (!volume) return nullptr;
  std::lock_guard lock(services().mutex);
  MountedEntry& entry = services().mounted[letter];
  entry.generation = generation;
  entry.volume = std::move(volume);
  error = ERROR_SUCCESS;
  return entry.volume.get();
}

}  // namespace tarvosk

using tarvosk::VolumeInformation;
using tarvosk::VolumeSpace;

BOOL GetDiskFreeSpaceW(LPCWSTR rootPath, LPDWORD sectorsPerCluster, LPDWORD bytesPerSector, LPDWORD freeClusters,
                       LPDWORD totalClusters) {
  tarvosk::MountedVolume* volume = tarvosk::volumeOfRoot(rootPath);
  if (!volume) return FALSE;
  VolumeSpace space;
  if (DWORD error = volume->space(space); error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  if (sectorsPerCluster) *sectorsPerCluster = space.sectorsPerCluster;
  if (bytesPerSector) *bytesPerSector = space.bytesPerSector;
  if (freeClusters) *freeClusters = tarvosk::clampToDword(space.freeClusters);
  if (totalClusters) *totalClusters = tarvosk::clampToDword(space.totalClusters);
  return TRUE;
}

BOOL GetDiskFreeSpaceExW(LPCWSTR directoryName, ULARGE_INTEGER* freeBytesAvailable, ULARGE_INTEGER* totalBytes,
                         ULARGE_INTEGER* totalFreeBytes) {
  tarvosk::MountedVolume* volume = tarvosk::volumeOfRoot(directoryName);
  if (!volume) return FALSE;
  VolumeSpace space;
  if (DWORD error = volume->space(space); error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  std::uint64_t cluster = static_cast<std::uint64_t>(space.bytesPerSector) * space.sectorsPerCluster;
  if (freeBytesAvailable) freeBytesAvailable->QuadPart = space.freeClusters * cluster;
  if (totalFreeBytes) totalFreeBytes->QuadPart = space.freeClusters * cluster;
  if (totalBytes) totalBytes->QuadPart = space.totalClusters * cluster;
  return TRUE;
}

BOOL GetVolumeInformationW(LPCWSTR rootPath, LPWSTR volumeName, DWORD volumeNameSize, LPDWORD serialNumber,
                           LPDWORD maxComponentLength, LPDWORD fileSystemFlags, LPWSTR fileSystemName,
                           DWORD fileSystemNameSize) {
  tarvosk::MountedVolume* volume = tarvosk::volumeOfRoot(rootPath);
  if (!volume) return FALSE;
  VolumeInformation info;
  if (DWORD error = volume->information(info); error != ERROR_SUCCESS) {
    SetLastError(error);
    return FALSE;
  }
  if (!tarvosk::copyText(info.label, volumeName, volumeNameSize) ||
      !tarvosk::copyText(info.fileSystemName, fileSystemName, fileSystemNameSize)) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  if (serialNumber) *serialNumber = info.serialNumber;
  if (maxComponentLength) *maxComponentLength = info.maxComponentLength;
  if (fileSystemFlags) *fileSystemFlags = info.fileSystemFlags;
  return TRUE;
}
