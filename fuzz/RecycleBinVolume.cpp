#include "RecycleBinVolume.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzTarget.h"
#include "MemoryImage.h"
#include "support/FatImageBuilder.h"

namespace tarvosk::fuzz {

namespace {

// The image input of a FAT volume whose boot sector names the memory provider.
std::vector<std::uint8_t> volumeImageInput(const char* oemName) {
  test::FatImageBuilder builder(test::FatImageLayout{});
  std::vector<std::uint8_t>& boot = builder.bootSector();
  std::memcpy(boot.data() + 3, oemName, 8);
  // Image size, no options, then sector 0.
  constexpr std::size_t kBootRecord = 9;
  std::vector<std::uint8_t> input(kBootRecord + kImageSectorSize, 0);
  putLe32(input.data(), static_cast<std::uint32_t>(builder.totalSectors()));
  std::copy_n(boot.begin(), kImageSectorSize, input.begin() + kBootRecord);
  return input;
}

void addFolder(DriveFileList& list, std::uint64_t id, const std::u16string& name) {
  FileEntry& folder = list.Lookup(id);
  folder.id = id;
  folder.name = name;
  folder.isFolder = true;
  folder.driveLetter = u'C';
}

}  // namespace

void attachRecycleBinVolume(const char* oemName, std::function<std::unique_ptr<test::MemoryVolume>()> make) {
  static const std::vector<std::uint8_t> imageInput = volumeImageInput(oemName);
  static MemoryImage image(imageInput);
  static const bool ready =
      (registerVolumeProvider(std::make_shared<test::MemoryVolumeProvider>(oemName, std::move(make))), image.attach());
  require(ready, "the recycle bin volume is attached");
}

std::unique_ptr<DriveFileList> listWithDocsFolder() {
  auto list = std::make_unique<DriveFileList>();
  addFolder(*list, ROOT_ENTRY_ID, u"");
  addFolder(*list, kDocsId, u"Docs");
  list->Lookup(ROOT_ENTRY_ID).children.push_back(kDocsId);
  return list;
}

void requireEveryChildListed(const DriveFileList& list) {
  for (const FileEntry& entry : list)
    for (std::uint64_t child : entry.children) require(list.Find(child) != nullptr, "every child is listed");
}

}  // namespace tarvosk::fuzz
