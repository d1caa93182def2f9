#include "volfs/ExfatMountedVolume.h"

#include "exfat/ExfatDirectoryWalker.h"
#include "exfat/ExfatVolume.h"
#include "platform/WinError.h"
#include "volfs/ExfatFileReader.h"
#include "volfs/VolumePath.h"

namespace tarvosk {

namespace {

constexpr DWORD kFileCasePreservedNames = 0x00000002;
constexpr DWORD kFileUnicodeOnDisk = 0x00000004;
constexpr DWORD kShownAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
// The most sets one folder can hold (2^23 entries, three to a set at least).
constexpr int kMaxSetsPerFolder = (1 << 23) / 3;

FILETIME fileTime(const ExfatTimestamp& t) {
  FILETIME utc{};
  return exfatTimeToFileTime(t, utc) ? utc : FILETIME{};
}

VolumeFileInfo fileInfo(const ExfatEntrySet& set) {
  VolumeFileInfo info;
  info.name = set.name;
  info.attributes = set.attributes & kShownAttributes;
  if (info.attributes == 0) info.attributes = FILE_ATTRIBUTE_NORMAL;
  info.size = set.isFolder() ? 0 : set.dataLength;
  info.creationTime = fileTime(set.created);
  info.lastWriteTime = fileTime(set.modified);
  info.lastAccessTime = fileTime(set.accessed);
  return info;
}

}  // namespace

std::unique_ptr<ExfatMountedVolume> ExfatMountedVolume::open(WCHAR letter) {
  const WCHAR drive[] = {letter, u':', u'\0'};
  DWORD handle = EXFAT_OpenDevice(drive);
  if (handle == INVALID_LAYER_HANDLE) return nullptr;
  return std::unique_ptr<ExfatMountedVolume>(new ExfatMountedVolume(handle));
}

ExfatMountedVolume::~ExfatMountedVolume() { EXFAT_CloseDevice(handle_); }

bool ExfatMountedVolume::sameName(const std::u16string& a, const std::u16string& b) const {
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(handle_);
  return volume && volume->upcase.sameName(a, b);
}

DWORD ExfatMountedVolume::space(VolumeSpace& out) {
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(handle_);
  if (!volume) return ERROR_INVALID_HANDLE;
  if (!freeClusters_) {
    std::uint64_t free = 0;
    if (exfat::countFreeClusters(*volume, kExfatFirstCluster, volume->boot.clusterCount, free) != LAYER_SUCCESS)
      return ERROR_READ_FAULT;
    freeClusters_ = free;
  }
  out.bytesPerSector = volume->boot.bytesPerSector;
  out.sectorsPerCluster = volume->boot.sectorsPerCluster;
  out.totalClusters = volume->boot.clusterCount;
  out.freeClusters = *freeClusters_;
  return ERROR_SUCCESS;
}

DWORD ExfatMountedVolume::information(VolumeInformation& out) {
  ExfatVolumeEntry* volume = EXFAT_GetVolumeEntry(handle_);
  if (!volume) return ERROR_INVALID_HANDLE;
  out = VolumeInformation{};
  out.fileSystemName = u"exFAT";
  out.label = volume->label;
  out.serialNumber = volume->boot.serialNumber;
  out.maxComponentLength = 255;
  out.fileSystemFlags = kFileCasePreservedNames | kFileUnicodeOnDisk;
  return ERROR_SUCCESS;
}

template <class Visit>
DWORD ExfatMountedVolume::walkFolder(DWORD folderHandle, Visit visit) {
  ExfatFileInfo info;
  for (int i = 0; i < kMaxSetsPerFolder; ++i) {
    DWORD code = EXFAT_GetNextFile(folderHandle, &info);
    if (code == LAYER_NO_MORE) return ERROR_SUCCESS;
    if (code != LAYER_SUCCESS) return ERROR_FILE_INVALID;
    const bool keep = !info.deleted && visit(Found{fileInfo(info.set), info.set}, info.handle);
    if (keep) return ERROR_SUCCESS;
    EXFAT_CloseHandle(info.handle);
  }
  return ERROR_FILE_INVALID;
}

DWORD ExfatMountedVolume::openFolder(const std::u16string& path, DWORD& folderHandle) {
  DWORD current = 0;
  if (EXFAT_OpenRootDirectory(handle_, &current) != LAYER_SUCCESS) return ERROR_INVALID_HANDLE;
  for (const std::u16string& part : pathComponents(path)) {
    DWORD child = 0;
    DWORD error = walkFolder(current, [&](const Found& f, DWORD handle) {
      if (!f.set.isFolder() || !sameName(f.info.name, part)) return false;
      child = handle;
      return true;
    });
    EXFAT_CloseHandle(current);
    if (error != ERROR_SUCCESS) return error;
    if (child == 0) return ERROR_PATH_NOT_FOUND;
    current = child;
  }
  folderHandle = current;
  return ERROR_SUCCESS;
}

DWORD ExfatMountedVolume::find(const std::u16string& path, Found& out) {
  std::u16string parent, name;
  if (!splitLastName(path, parent, name)) return ERROR_FILE_NOT_FOUND;
  DWORD folder = 0;
  if (DWORD error = openFolder(parent, folder); error != ERROR_SUCCESS) return error;
  bool found = false;
  DWORD error = walkFolder(folder, [&](const Found& f, DWORD) {
    if (!found && sameName(f.info.name, name)) {
      out = f;
      found = true;
    }
    return false;
  });
  EXFAT_CloseHandle(folder);
  if (error != ERROR_SUCCESS) return error;
  return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

DWORD ExfatMountedVolume::stat(const std::u16string& path, VolumeFileInfo& out) {
  if (pathComponents(path).empty()) {
    out = rootFolderInfo();
    return ERROR_SUCCESS;
  }
  Found found;
  DWORD error = find(path, found);
  if (error == ERROR_SUCCESS) out = found.info;
  return error;
}

DWORD ExfatMountedVolume::list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) {
  out.clear();
  DWORD handle = 0;
  if (DWORD error = openFolder(folder, handle); error != ERROR_SUCCESS) return error;
  DWORD error = walkFolder(handle, [&](const Found& f, DWORD) {
    out.push_back(f.info);
    return false;
  });
  EXFAT_CloseHandle(handle);
  return error;
}

DWORD ExfatMountedVolume::open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) {
  Found found;
  if (DWORD error = find(path, found); error != ERROR_SUCCESS) return error;
  if (found.set.isFolder()) return ERROR_ACCESS_DENIED;
  return ExfatFileReader::open(handle_, found.set, out);
}

}  // namespace tarvosk
