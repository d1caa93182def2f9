#include "volfs/FatMountedVolume.h"

#include "fat/DirectoryEntry.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatFileRecord.h"
#include "fat/FatVolume.h"
#include "platform/CaseFolding.h"
#include "platform/CodePage.h"
#include "platform/PathNames.h"
#include "platform/Time.h"
#include "platform/WinError.h"
#include "volfs/FatFileReader.h"
#include "volfs/FatFreeSpace.h"
#include "volfs/VolumePath.h"

namespace tarvosk {

namespace {

constexpr std::size_t kLabelLength = 11;
constexpr BYTE kCaseLowerBase = 0x08;
constexpr BYTE kCaseLowerExtension = 0x10;
constexpr DWORD kFileCasePreservedNames = 0x00000002;
constexpr DWORD kFileUnicodeOnDisk = 0x00000004;
// Attributes a file keeps in the volume file view.
constexpr DWORD kShownAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
// The most entries one folder of a FAT volume can hold (65536 slots of 32 bytes).
constexpr int kMaxEntriesPerFolder = 65536;

std::u16string oemText(const BYTE* bytes, std::size_t length, bool lower) {
  std::string narrow;
  for (std::size_t i = 0; i < length && bytes[i] != ' '; ++i) {
    char c = static_cast<char>(bytes[i]);
    if (lower && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    narrow.push_back(c);
  }
  // A first byte of 0x05 stands for 0xE5, which marks deleted entries.
  if (!narrow.empty() && narrow[0] == '\x05') narrow[0] = static_cast<char>(0xE5);
  return multiByteToWide(CP_OEMCP, narrow);
}

// The 8.3 name as the system shows it: base, and "." with the extension when there is one.
std::u16string displayShortName(const FatFileRecord& r) {
  std::u16string name = oemText(r.shortName, fatdir::kBaseNameLength, r.caseFlags & kCaseLowerBase);
  std::u16string ext = oemText(r.shortName + fatdir::kExtension, fatdir::kExtensionLength, r.caseFlags & kCaseLowerExtension);
  if (!ext.empty()) name += u"." + ext;
  return name;
}

FILETIME entryTime(WORD date, WORD time) {
  FILETIME local{}, utc{};
  if (!DosDateTimeToFileTime(date, time, &local)) return FILETIME{};
  LocalFileTimeToFileTime(&local, &utc);
  return utc;
}

std::u16string trimmedLabel(ByteSpan bytes) {
  std::string narrow(bytes.begin(), bytes.end());
  while (!narrow.empty() && (narrow.back() == ' ' || narrow.back() == '\0')) narrow.pop_back();
  if (narrow == "NO NAME") return u"";
  return multiByteToWide(CP_OEMCP, narrow);
}

}  // namespace

FatMountedVolume::FatMountedVolume(WCHAR letter, const FatBootSector& boot, ByteSpan bootSector)
    : letter_(letter), boot_(boot) {
  const bool fat32 = boot.type == FatType::Fat32;
  const std::size_t labelAt = fat32 ? fatboot::kVolumeLabel32 : fatboot::kVolumeLabel16;
  if (fitsIn(bootSector.size(), labelAt, kLabelLength)) bootLabel_ = trimmedLabel(bootSector.subspan(labelAt, kLabelLength));
  serial_ = le32(bootSector, fat32 ? fatboot::kVolumeSerial32 : fatboot::kVolumeSerial16);
}

FatMountedVolume::~FatMountedVolume() {
  if (handle_ != INVALID_LAYER_HANDLE) FAT_CloseDevice(handle_);
}

DWORD FatMountedVolume::volumeHandle(DWORD& error) {
  error = ERROR_SUCCESS;
  if (handle_ == INVALID_LAYER_HANDLE) {
    std::u16string drive{letter_, u':'};
    handle_ = FAT_OpenDevice(drive.c_str());
    if (handle_ == INVALID_LAYER_HANDLE) error = ERROR_UNRECOGNIZED_VOLUME;
  }
  return handle_;
}

DWORD FatMountedVolume::space(VolumeSpace& out) {
  if (!freeClusters_) {
    std::uint64_t free = 0;
    if (DWORD error = countFreeClusters(letter_, boot_, free); error != ERROR_SUCCESS) return error;
    freeClusters_ = free;
  }
  out.bytesPerSector = boot_.bytesPerSector;
  out.sectorsPerCluster = boot_.sectorsPerCluster;
  out.totalClusters = boot_.clusterCount;
  out.freeClusters = *freeClusters_;
  return ERROR_SUCCESS;
}

template <class Visit>
DWORD FatMountedVolume::walkFolder(DWORD folderHandle, Visit visit) {
  FatFileInfo info{};
  for (int i = 0; i < kMaxEntriesPerFolder; ++i) {
    DWORD code = FAT_GetNextFile(folderHandle, &info);
    if (code == LAYER_NO_MORE) return ERROR_SUCCESS;
    if (code != LAYER_SUCCESS) return ERROR_FILE_INVALID;
    const FatFileRecord* r = FAT_GetFileRecord(info.handle);
    bool keep = false;
    if (r && !info.deleted && !(r->attributes & fatdir::kAttributeVolumeLabel)) {
      Found found;
      found.info.name = r->longName ? std::u16string(info.name) : displayShortName(*r);
      if (r->longName) found.info.shortName = displayShortName(*r);
      if (!r->longName && (found.info.name == u"." || found.info.name == u"..")) found.info.name = info.name;
      found.info.attributes = r->attributes & kShownAttributes;
      if (found.info.attributes == 0) found.info.attributes = FILE_ATTRIBUTE_NORMAL;
      found.info.size = info.folder ? 0 : info.size;
      found.info.lastWriteTime = entryTime(info.date, info.time);
      found.info.creationTime = found.info.lastWriteTime;
      found.info.lastAccessTime = found.info.lastWriteTime;
      found.startCluster = info.startCluster;
      keep = visit(found, info.handle);
    }
    if (!keep) FAT_CloseHandle(info.handle);
    if (keep) return ERROR_SUCCESS;
  }
  return ERROR_FILE_INVALID;
}

DWORD FatMountedVolume::openFolder(const std::u16string& path, DWORD& folderHandle) {
  DWORD error = ERROR_SUCCESS;
  DWORD volume = volumeHandle(error);
  if (error != ERROR_SUCCESS) return error;
  DWORD current = 0;
  if (FAT_OpenRootDirectory(volume, &current) != LAYER_SUCCESS) return ERROR_READ_FAULT;
  for (const std::u16string& part : pathComponents(path)) {
    DWORD child = 0;
    bool found = false;
    error = walkFolder(current, [&](const Found& f, DWORD handle) {
      if (!(f.info.attributes & FILE_ATTRIBUTE_DIRECTORY)) return false;
      if (!equalsIgnoreCase(f.info.name, part) && !equalsIgnoreCase(f.info.shortName, part)) return false;
      child = handle;
      found = true;
      return true;
    });
    FAT_CloseHandle(current);
    if (error != ERROR_SUCCESS) return error;
    if (!found) return ERROR_PATH_NOT_FOUND;
    current = child;
  }
  folderHandle = current;
  return ERROR_SUCCESS;
}

DWORD FatMountedVolume::find(const std::u16string& path, Found& out) {
  std::u16string parent, name;
  if (!splitLastName(path, parent, name)) return ERROR_FILE_NOT_FOUND;
  DWORD folder = 0;
  if (DWORD error = openFolder(parent, folder); error != ERROR_SUCCESS) return error;
  bool found = false;
  DWORD error = walkFolder(folder, [&](const Found& f, DWORD) {
    if (equalsIgnoreCase(f.info.name, name) || equalsIgnoreCase(f.info.shortName, name)) {
      out = f;
      found = true;
    }
    return false;
  });
  FAT_CloseHandle(folder);
  if (error != ERROR_SUCCESS) return error;
  return found ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
}

DWORD FatMountedVolume::information(VolumeInformation& out) {
  out = VolumeInformation{};
  out.fileSystemName = fatTypeName(boot_.type);
  out.serialNumber = serial_;
  out.maxComponentLength = 255;
  out.fileSystemFlags = kFileCasePreservedNames | kFileUnicodeOnDisk;
  out.label = bootLabel_;
  // The label the system shows is the root folder's volume label entry, where there is one.
  DWORD error = ERROR_SUCCESS;
  DWORD volume = volumeHandle(error);
  if (error != ERROR_SUCCESS) return error;
  DWORD root = 0;
  if (FAT_OpenRootDirectory(volume, &root) != LAYER_SUCCESS) return ERROR_SUCCESS;
  FatFileInfo info{};
  for (int i = 0; i < kMaxEntriesPerFolder; ++i) {
    if (FAT_GetNextFile(root, &info) != LAYER_SUCCESS) break;
    const FatFileRecord* r = FAT_GetFileRecord(info.handle);
    const bool label = r && !info.deleted && (r->attributes & fatdir::kAttributeVolumeLabel) &&
                       !(r->attributes & fatdir::kAttributeFolder);
    if (label) out.label = trimmedLabel(ByteSpan(r->shortName, kLabelLength));
    FAT_CloseHandle(info.handle);
    if (label) break;
  }
  FAT_CloseHandle(root);
  return ERROR_SUCCESS;
}

DWORD FatMountedVolume::stat(const std::u16string& path, VolumeFileInfo& out) {
  if (pathComponents(path).empty()) {
    out = rootFolderInfo();
    return ERROR_SUCCESS;
  }
  Found found;
  DWORD error = find(path, found);
  if (error == ERROR_SUCCESS) out = found.info;
  return error;
}

DWORD FatMountedVolume::list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) {
  out.clear();
  DWORD handle = 0;
  if (DWORD error = openFolder(folder, handle); error != ERROR_SUCCESS) return error;
  DWORD error = walkFolder(handle, [&](const Found& f, DWORD) {
    out.push_back(f.info);
    return false;
  });
  FAT_CloseHandle(handle);
  return error;
}

DWORD FatMountedVolume::open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) {
  Found found;
  if (DWORD error = find(path, found); error != ERROR_SUCCESS) return error;
  if (found.info.attributes & FILE_ATTRIBUTE_DIRECTORY) return ERROR_ACCESS_DENIED;
  DWORD error = ERROR_SUCCESS;
  DWORD volume = volumeHandle(error);
  if (error != ERROR_SUCCESS) return error;
  return FatFileReader::open(volume, found.startCluster, found.info.size, out);
}

}  // namespace tarvosk
