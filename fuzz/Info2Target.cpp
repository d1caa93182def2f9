// The recycle bin listing with a hostile INFO2 in both recycle folders ("Recycled" and a user
// folder of "Recycler"), served by an in-memory volume that also holds some kept items, over a
// file list with a root and one folder for the records to land in.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include "FuzzTarget.h"
#include "MemoryImage.h"
#include "scan/RecycleBin.h"
#include "support/FatImageBuilder.h"
#include "support/MemoryVolume.h"

using namespace tarvosk;

namespace {

constexpr char kOemName[] = "TVKINFO2";  // the volume the memory provider serves
constexpr std::uint64_t kDocsId = 7;

// The image input of a FAT volume whose boot sector names the memory provider.
std::vector<std::uint8_t> volumeImageInput() {
  test::FatImageBuilder builder(test::FatImageLayout{});
  std::vector<std::uint8_t>& boot = builder.bootSector();
  std::memcpy(boot.data() + 3, kOemName, 8);
  // Image size, no options, then sector 0.
  constexpr std::size_t kBootRecord = 9;
  std::vector<std::uint8_t> input(kBootRecord + fuzz::kImageSectorSize, 0);
  putLe32(input.data(), static_cast<std::uint32_t>(builder.totalSectors()));
  std::copy_n(boot.begin(), fuzz::kImageSectorSize, input.begin() + kBootRecord);
  return input;
}

std::string g_info2;

// Both recycle folders hold the INFO2 and the kept items of records 1 (a file) and 2 (a folder).
std::unique_ptr<test::MemoryVolume> recycleVolume() {
  auto volume = std::make_unique<test::MemoryVolume>();
  volume->addFolder(u"Docs");
  volume->addFolder(u"Recycler");
  for (const std::u16string folder : {u"Recycled", u"Recycler\\S-1-5-21"}) {
    volume->addFolder(folder);
    volume->addFile(folder + u"\\INFO2", g_info2);
    volume->addFile(folder + u"\\Dc1.txt", "kept");
    volume->addFolder(folder + u"\\Dc2");
    volume->addFile(folder + u"\\Dc2\\inner.txt", "inner");
  }
  return volume;
}

void addFolder(DriveFileList& list, std::uint64_t id, const std::u16string& name) {
  FileEntry& folder = list.Lookup(id);
  folder.id = id;
  folder.name = name;
  folder.isFolder = true;
  folder.driveLetter = u'C';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> imageInput = volumeImageInput();
  static fuzz::MemoryImage image(imageInput);
  static const bool ready = (registerVolumeProvider(std::make_shared<test::MemoryVolumeProvider>(kOemName, recycleVolume)),
                             image.attach());
  fuzz::require(ready, "the recycle bin volume is attached");
  g_info2.assign(reinterpret_cast<const char*>(data), size);

  DriveFileList list;
  addFolder(list, ROOT_ENTRY_ID, u"");
  addFolder(list, kDocsId, u"Docs");
  list.Lookup(ROOT_ENTRY_ID).children.push_back(kDocsId);
  fuzz::require(ListRecycleBin(u"C:", list), "the recycle bin can always be listed");
  for (const FileEntry& entry : list)
    for (std::uint64_t child : entry.children) fuzz::require(list.Find(child) != nullptr, "every child is listed");
  return 0;
}
