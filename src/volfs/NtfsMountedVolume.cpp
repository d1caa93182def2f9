#include "volfs/NtfsMountedVolume.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "log/Log.h"
#include "ntfs/Attribute.h"
#include "ntfs/ClusterBitmap.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsLayout.h"
#include "platform/PathNames.h"
#include "platform/WinError.h"
#include "volfs/NtfsDataStream.h"

namespace tarvosk {

using namespace ntfs;

namespace {

// File system flags that GetVolumeInformationW reports for NTFS: case-preserved Unicode names,
// ACLs, compression and sparse files; read-only, since nothing here writes.
constexpr DWORD kNtfsFileSystemFlags = 0x00000002 | 0x00000004 | 0x00000008 | 0x00000010 | 0x00000040 | 0x00080000;
constexpr std::uint32_t kMaxClusterSize = 2 * 1024 * 1024;
constexpr std::uint32_t kBitmapClustersPerRead = 64;

class NtfsFileReader : public VolumeFileReader {
 public:
  NtfsFileReader(std::shared_ptr<NtfsVolumeEntry> volume, NtfsDataStream stream)
      : volume_(std::move(volume)), stream_(std::move(stream)) {}
  std::uint64_t size() const override { return stream_.size; }
  DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& bytesRead) override {
    bytesRead = 0;
    if (offset >= stream_.size) return ERROR_SUCCESS;
    auto n = static_cast<DWORD>(std::min<std::uint64_t>(length, stream_.size - offset));
    DWORD e = readNtfsDataStream(*volume_, stream_, offset, static_cast<BYTE*>(buffer), n);
    if (e == ERROR_SUCCESS) bytesRead = n;
    return e;
  }

 private:
  std::shared_ptr<NtfsVolumeEntry> volume_;
  NtfsDataStream stream_;
};

FILETIME fileTimeAt(ByteSpan value, std::size_t offset) {
  std::uint64_t v = le64(value, offset);
  return FILETIME{static_cast<DWORD>(v), static_cast<DWORD>(v >> 32)};
}

}  // namespace

std::unique_ptr<NtfsMountedVolume> NtfsMountedVolume::open(WCHAR letter, const std::uint8_t* bootSector) {
  ByteSpan boot(bootSector, 512);
  if (std::memcmp(bootSector + kBootOemName, "NTFS    ", 8) != 0) return nullptr;
  std::uint32_t bytesPerSector = le16(boot, kBootBytesPerSector);
  std::uint32_t sectorsCode = le8(boot, kBootSectorsPerCluster);
  // Values above 0x80 give the cluster size as a negative power of two (64 KiB and more).
  std::uint32_t sectorsPerCluster = sectorsCode <= 0x80 ? sectorsCode : (256 - sectorsCode < 32 ? 1u << (256 - sectorsCode) : 0);
  if (bytesPerSector < 256 || bytesPerSector > 4096 || !std::has_single_bit(bytesPerSector) ||
      !std::has_single_bit(sectorsPerCluster) ||
      static_cast<std::uint64_t>(bytesPerSector) * sectorsPerCluster > kMaxClusterSize) {
    return nullptr;
  }
  std::shared_ptr<NtfsVolumeEntry> entry(new NtfsVolumeEntry, [](NtfsVolumeEntry* e) {
    closeVolumeEntry(*e);
    delete e;
  });
  const WCHAR drive[] = {letter, u':', u'\0'};
  if (!openVolumeEntry(*entry, drive, bytesPerSector, bytesPerSector * sectorsPerCluster)) return nullptr;
  std::unique_ptr<NtfsMountedVolume> mounted(new NtfsMountedVolume(std::move(entry)));
  mounted->totalClusters_ = le64(boot, kBootTotalSectors) / sectorsPerCluster;
  mounted->serialNumber_ = le32(boot, kBootSerialNumber);
  return mounted;
}

NtfsMountedVolume::NtfsMountedVolume(std::shared_ptr<NtfsVolumeEntry> volume)
    : shared_(std::move(volume)), volume_(*shared_) {}

DWORD NtfsMountedVolume::space(VolumeSpace& out) {
  if (!freeClusters_) {
    std::uint64_t free = 0;
    if (countFreeClusters(free)) {
      freeClusters_ = free;
    } else {
      // The geometry is still good: a volume whose bitmap is damaged must stay open for
      // recovery, so the free count is given as 0 (and asked again next time).
      LOG_Write(g_logNTFS, WARNING, u"NtfsMountedVolume::space(): the $Bitmap cannot be read, free clusters unknown");
    }
  }
  out.bytesPerSector = volume_.sectorSize;
  out.sectorsPerCluster = volume_.clusterSize / volume_.sectorSize;
  out.freeClusters = freeClusters_.value_or(0);
  out.totalClusters = totalClusters_;
  return ERROR_SUCCESS;
}

bool NtfsMountedVolume::countFreeClusters(std::uint64_t& free) {
  ByteSpan data = bitmapDataAttribute(volume_);
  std::vector<Run> runs;
  if (!data.data() || decodeRunList(data, runs) != 0) return false;
  // Only clusters the device holds can be free: a damaged boot sector can claim 2^60 clusters
  // and a damaged $Bitmap run can cover the whole disk, which would be read to its end.
  const std::uint64_t counted = std::min(totalClusters_, volume_.volumeClusters);
  std::uint64_t bitsPerCluster = static_cast<std::uint64_t>(volume_.clusterSize) * 8;
  free = 0;
  std::uint64_t cluster = 0;  // first volume cluster covered by the bitmap clusters being read
  std::vector<BYTE> buffer(static_cast<std::size_t>(volume_.clusterSize) * kBitmapClustersPerRead);
  for (const Run& run : runs) {
    if (cluster >= counted) break;
    if (run.startCluster < 0) {
      // A sparse run reads as zeros: every cluster it covers is free. Counted at once.
      std::uint64_t left = counted - cluster;
      std::uint64_t bits = run.length > left / bitsPerCluster ? left : run.length * bitsPerCluster;
      free += bits;
      cluster += bits;
      continue;
    }
    for (std::uint64_t done = 0; done < run.length && cluster < counted;) {
      auto n = static_cast<DWORD>(std::min<std::uint64_t>(kBitmapClustersPerRead, run.length - done));
      if (__ReadClusters(volume_, static_cast<std::uint64_t>(run.startCluster) + done, n, buffer.data()) != 0)
        return false;
      std::uint64_t bits = std::min<std::uint64_t>(n * bitsPerCluster, counted - cluster);
      std::uint64_t used = 0;
      for (std::uint64_t i = 0; i < bits / 8; ++i) used += static_cast<std::uint64_t>(std::popcount(buffer[i]));
      for (std::uint64_t i = bits / 8 * 8; i < bits; ++i) used += (buffer[i / 8] >> (i % 8)) & 1;
      free += bits - used;
      cluster += bits;
      done += n;
    }
  }
  return true;
}

DWORD NtfsMountedVolume::information(VolumeInformation& out) {
  out = VolumeInformation{};
  out.fileSystemName = u"NTFS";
  out.serialNumber = serialNumber_;
  out.maxComponentLength = 255;
  out.fileSystemFlags = kNtfsFileSystemFlags;
  std::vector<BYTE> record(volume_.recordSize);
  if (DWORD r = __GetMFTRecord(volume_, kMftRecordVolume, record); r != 0) return ERROR_READ_FAULT;
  ByteSpan label = residentValue(findUnnamedAttribute(ByteSpan(record.data(), record.size()), kAttrVolumeName));
  for (std::size_t i = 0; i + 1 < label.size(); i += 2) out.label.push_back(static_cast<char16_t>(le16(label, i)));
  return ERROR_SUCCESS;
}

NtfsNameIndex& NtfsMountedVolume::names() {
  if (!names_) names_.emplace(volume_);
  return *names_;
}

DWORD NtfsMountedVolume::resolve(const std::u16string& path, std::uint64_t& record, std::optional<NtfsNameEntry>* entry) {
  record = kMftRecordRoot;
  if (entry) entry->reset();
  std::vector<std::u16string> parts = pathComponents(path);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const std::u16string& part = parts[i];
    bool last = i + 1 == parts.size();
    std::optional<NtfsNameEntry> found = names().isFolder(record) ? names().find(record, part) : std::nullopt;
    if (!found) return last ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    record = found->record;
    if (entry) *entry = std::move(found);
  }
  return ERROR_SUCCESS;
}

DWORD NtfsMountedVolume::describe(std::uint64_t number, const NtfsNameEntry* entry, VolumeFileInfo& out) {
  out = VolumeFileInfo{};
  if (entry) {
    out.name = entry->name;
    out.shortName = entry->shortName;
  }
  std::vector<BYTE> record(volume_.recordSize);
  if (__GetMFTRecord(volume_, number, record) != 0) return ERROR_FILE_INVALID;
  ByteSpan bytes(record.data(), record.size());
  bool folder = (le16(bytes, kRecordFlags) & kRecordIsFolder) != 0;
  ByteSpan info = residentValue(findUnnamedAttribute(bytes, kAttrStandardInformation));
  DWORD attributes = 0;
  if (info.size() >= kSiMinimumLength) {
    out.creationTime = fileTimeAt(info, kSiCreationTime);
    out.lastWriteTime = fileTimeAt(info, kSiWriteTime);
    out.lastAccessTime = fileTimeAt(info, kSiAccessTime);
    attributes = le32(info, kSiFileAttributes) & 0xFFFF & ~FILE_ATTRIBUTE_NORMAL;
  }
  if (folder) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else {
    NtfsDataStream stream;
    if (DWORD e = loadNtfsDataStream(volume_, bytes, number, stream); e != ERROR_SUCCESS) return e;
    out.size = stream.size;
  }
  out.attributes = attributes == 0 ? FILE_ATTRIBUTE_NORMAL : attributes;
  return ERROR_SUCCESS;
}

DWORD NtfsMountedVolume::stat(const std::u16string& path, VolumeFileInfo& out) {
  std::uint64_t record = 0;
  std::optional<NtfsNameEntry> entry;
  if (DWORD e = resolve(path, record, &entry); e != ERROR_SUCCESS) return e;
  return describe(record, entry ? &*entry : nullptr, out);
}

DWORD NtfsMountedVolume::list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) {
  out.clear();
  std::uint64_t record = 0;
  if (DWORD e = resolve(folder, record, nullptr); e != ERROR_SUCCESS) return e == ERROR_FILE_NOT_FOUND ? ERROR_PATH_NOT_FOUND : e;
  if (!names().isFolder(record)) return ERROR_DIRECTORY;
  for (const NtfsNameEntry& child : names().children(record)) {
    VolumeFileInfo info;
    if (describe(child.record, &child, info) == ERROR_SUCCESS) out.push_back(std::move(info));
  }
  return ERROR_SUCCESS;
}

DWORD NtfsMountedVolume::open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) {
  std::uint64_t number = 0;
  if (DWORD e = resolve(path, number, nullptr); e != ERROR_SUCCESS) return e;
  if (names().isFolder(number)) return ERROR_ACCESS_DENIED;
  std::vector<BYTE> record(volume_.recordSize);
  if (__GetMFTRecord(volume_, number, record) != 0) return ERROR_FILE_INVALID;
  NtfsDataStream stream;
  if (DWORD e = loadNtfsDataStream(volume_, ByteSpan(record.data(), record.size()), number, stream); e != ERROR_SUCCESS) {
    return e;
  }
  if (!stream.present) stream.present = true;  // a file without $DATA reads as empty
  out = std::make_unique<NtfsFileReader>(shared_, std::move(stream));
  return ERROR_SUCCESS;
}

}  // namespace tarvosk
