#include "support/MemoryVolume.h"

#include <algorithm>
#include <cstring>

#include "platform/WinError.h"

namespace tarvosk::test {

namespace {

std::u16string parentOf(const std::u16string& path) {
  auto cut = path.find_last_of(u'\\');
  return cut == std::u16string::npos ? u"" : path.substr(0, cut);
}

std::u16string nameOf(const std::u16string& path) {
  auto cut = path.find_last_of(u'\\');
  return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

class StringReader : public VolumeFileReader {
 public:
  explicit StringReader(std::string bytes) : bytes_(std::move(bytes)) {}
  std::uint64_t size() const override { return bytes_.size(); }
  DWORD read(std::uint64_t offset, void* buffer, DWORD length, DWORD& got) override {
    got = offset >= bytes_.size() ? 0 : static_cast<DWORD>(std::min<std::uint64_t>(length, bytes_.size() - offset));
    if (got) std::memcpy(buffer, bytes_.data() + offset, got);
    return ERROR_SUCCESS;
  }

 private:
  std::string bytes_;
};

}  // namespace

void MemoryVolume::addFolder(const std::u16string& path) { items_[path].folder = true; }

void MemoryVolume::addFile(const std::u16string& path, const std::string& bytes, const std::u16string& shortName,
                           FILETIME lastWrite) {
  items_[path] = Item{false, bytes, shortName, lastWrite};
}

DWORD MemoryVolume::space(VolumeSpace& out) {
  out = VolumeSpace{512, 8, 1000, 5000};
  return ERROR_SUCCESS;
}

DWORD MemoryVolume::information(VolumeInformation& out) {
  out.label = u"卷标";
  out.fileSystemName = u"FAT32";
  out.serialNumber = 0x1234ABCD;
  return ERROR_SUCCESS;
}

DWORD MemoryVolume::stat(const std::u16string& path, VolumeFileInfo& out) {
  auto it = items_.find(path);
  if (it == items_.end()) return items_.count(parentOf(path)) || parentOf(path).empty() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
  out = VolumeFileInfo{};
  out.name = nameOf(path);
  out.shortName = it->second.shortName;
  out.attributes = it->second.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
  out.size = it->second.bytes.size();
  out.lastWriteTime = it->second.lastWrite;
  return ERROR_SUCCESS;
}

DWORD MemoryVolume::list(const std::u16string& folder, std::vector<VolumeFileInfo>& out) {
  if (!folder.empty() && (!items_.count(folder) || !items_[folder].folder)) return ERROR_PATH_NOT_FOUND;
  if (!folder.empty()) {
    VolumeFileInfo dot;
    dot.name = u".";
    dot.attributes = FILE_ATTRIBUTE_DIRECTORY;
    out.push_back(dot);
    dot.name = u"..";
    out.push_back(dot);
  }
  for (const auto& [path, item] : items_) {
    if (parentOf(path) != folder) continue;
    VolumeFileInfo info;
    stat(path, info);
    out.push_back(info);
  }
  return ERROR_SUCCESS;
}

DWORD MemoryVolume::open(const std::u16string& path, std::unique_ptr<VolumeFileReader>& out) {
  auto it = items_.find(path);
  if (it == items_.end() || it->second.folder) return ERROR_FILE_NOT_FOUND;
  out = std::make_unique<StringReader>(it->second.bytes);
  return ERROR_SUCCESS;
}

std::unique_ptr<MountedVolume> MemoryVolumeProvider::mount(WCHAR, const std::uint8_t* bootSector) {
  if (std::memcmp(bootSector + 3, oem_.data(), std::min<std::size_t>(oem_.size(), 8)) != 0) return nullptr;
  ++mounts;
  return make_();
}

}  // namespace tarvosk::test
