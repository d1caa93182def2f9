// Physical and thorough scans of images made by real tools (build-disk-fixtures.sh): real
// pictures, camera-raw TIFFs, music, video, documents and archives, copied with mcopy and deleted
// with mdel, are carved at the place sleuthkit sees them, into their types' folders, and come
// back byte for byte; the scan wizard's type tree decides which folders appear.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>

#include "fat/FatVolume.h"
#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "recover/RecoverEntry.h"
#include "scan/FileList.h"
#include "shell/TypeTree.h"
#include "support/AttachedImages.h"
#include "support/FakeUi.h"
#include "support/ScopedExactLengths.h"
#include "support/TestSupport.h"
#include "types/TypeTable.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {
namespace {

// Where sleuthkit sees a deleted file: its first sector in the image and its size.
struct DeletedFile {
  std::string name;
  std::uint64_t sector = 0;
  std::uint64_t size = 0;
};

std::vector<DeletedFile> deletedFiles(const std::string& image, std::size_t count = 25) {
  std::ifstream in(fixturePath(image + ".starts"));
  std::vector<DeletedFile> files;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    DeletedFile f;
    std::getline(fields, f.name, '\t');
    fields >> f.sector >> f.size;
    files.push_back(f);
  }
  EXPECT_EQ(files.size(), count) << "the fixture's oracle of " << image;
  return files;
}

// The folder and extension each original is carved into. A Make text of "EASTMAN KODAK COMPANY"
// names no raw maker: that picture stays a TIFF.
struct CarvedType {
  std::u16string folder;
  std::u16string extension;
};

CarvedType carvedTypeOf(const std::string& name) {
  static const std::map<std::string, CarvedType> makers = {
      {"make-canon.tif", {u"Canon 原始图像", u".cr2"}},     {"make-nikon.tif", {u"Nikon 原始图像", u".nef"}},
      {"make-olympus.tif", {u"Olympus 原始图像", u".orf"}}, {"make-kodak.tif", {u"Kodak 原始图像", u".dcr"}}};
  static const std::map<std::string, CarvedType> byExtension = {
      {".bmp", {u"BMP 图像", u".bmp"}},
      {".jpg", {u"Jpeg 图像", u".jpg"}},
      {".tif", {u"Tiff 图像", u".tif"}},
      {".mp3", {u"MP3 文件", u".mp3"}},
      {".avi", {u"AVI 文件", u".avi"}},
      {".doc", {u"Microsoft Word 文档", u".doc"}},
      {".xls", {u"Microsoft Excel 文档", u".xls"}},
      {".ppt", {u"Microsoft PowerPoint 文档", u".ppt"}},
      {".pdf", {u"PDF 文档", u".pdf"}},
      {".zip", {u"ZIP 文件", u".zip"}},
      {".txt", {u"文本文件", u".txt"}},
      {".rtf", {u"RTF 文档", u".rtf"}},
      {".html", {u"HTML 文件", u".html"}},
      {".xml", {u"XML 文件", u".xml"}}};
  if (auto m = makers.find(name); m != makers.end()) return m->second;
  return byExtension.at(std::filesystem::path(name).extension().string());
}

class CarvingScanTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    registerFileSystemProviders();
    job.window = &progress;
    filterRegistry().EnableAll(true);
  }
  void TearDown() override {
    filterRegistry().EnableAll(true);
    AttachedImagesTest::TearDown();
  }
  DriveFileList& carve(const std::u16string& drivePath) {
    EXPECT_TRUE(lists.BuildFileList(drivePath, progress, true, 0, 0));
    return *lists.GetDriveList(drivePath);
  }
  FileEntry* folder(DriveFileList& list, const std::u16string& name, const std::u16string& extension) {
    for (std::uint64_t id : list.Lookup(ROOT_ENTRY_ID).children) {
      FileEntry& f = list.Lookup(id);
      if (f.name != name) continue;
      for (std::uint64_t child : f.children)
        if (list.Lookup(child).name.view().ends_with(extension)) return &f;
    }
    return nullptr;
  }
  FileEntry* carvedAt(DriveFileList& list, const CarvedType& type, std::uint64_t unit) {
    FileEntry* f = folder(list, type.folder, type.extension);
    if (!f) return nullptr;
    for (std::uint64_t id : f->children)
      if (list.Lookup(id).startPosition == unit) return &list.Lookup(id);
    return nullptr;
  }
  std::vector<std::uint8_t> recovered(DriveFileList& list, FileEntry& entry) {
    EXPECT_TRUE(RecoverEntry(list, entry, nullptr, utf8ToUtf16(out.path().string()), job)) << utf16ToUtf8(job.log);
    return readWholeFile(out.file(utf16ToUtf8(entry.name)));
  }
  // The length the PDF rules give a file with one end marker: up to the next PDF's start.
  std::uint64_t singleMarkerPdfLength(const std::vector<DeletedFile>& files, std::uint64_t sectorsPerUnit) {
    std::uint64_t single = 0, next = 0;
    for (const DeletedFile& f : files) {
      if (f.name == "single.pdf") single = f.sector;
      if (f.name == "updated.pdf") next = f.sector;
    }
    return (next - single) / sectorsPerUnit * sectorsPerUnit * 512;
  }
  // The length the rules give each original: its own size, except for a PDF with one end marker
  // (it runs until the next PDF starts) and ImageMagick's TIFFs, whose directory follows the
  // strips (the file ends where the directory begins). With exact lengths, always its own size.
  std::uint64_t carvedLength(const DeletedFile& file, const std::vector<std::uint8_t>& original,
                             const std::vector<DeletedFile>& files, std::uint64_t sectorsPerUnit) {
    if (settings().ExactLengths) return file.size;
    if (file.name == "single.pdf") return singleMarkerPdfLength(files, sectorsPerUnit);
    if (file.name == "little.tif") return le32(ByteSpan(original.data(), original.size()), 4);
    if (file.name == "big.tif") return be32(ByteSpan(original.data(), original.size()), 4);
    return file.size;
  }
  // Every deleted file at its unit, named after it, in its type's folder, with the length the
  // rules give; the recovered bytes are the original's, as far as that length reaches.
  void expectEveryFileCarved(DriveFileList& list, const std::vector<DeletedFile>& files,
                             const std::function<std::uint64_t(std::uint64_t sector)>& unitOfSector,
                             std::uint64_t sectorsPerUnit, const std::string& originals = "carve-files/") {
    for (const DeletedFile& file : files) {
      SCOPED_TRACE(file.name);
      const CarvedType type = carvedTypeOf(file.name);
      const std::uint64_t unit = unitOfSector(file.sector);
      FileEntry* carved = carvedAt(list, type, unit);
      ASSERT_NE(carved, nullptr) << "nothing carved at unit " << unit << " in " << utf16ToUtf8(type.folder);
      EXPECT_EQ(carved->name, u"file" + utf8ToUtf16(std::to_string(unit)) + type.extension);
      EXPECT_TRUE(carved->deleted);
      std::vector<std::uint8_t> original = readWholeFile(fixturePath(originals + file.name));
      ASSERT_EQ(original.size(), file.size);
      const std::uint64_t length = carvedLength(file, original, files, sectorsPerUnit);
      EXPECT_EQ(carved->size, length);
      std::vector<std::uint8_t> bytes = recovered(list, *carved);
      EXPECT_EQ(bytes.size(), length);
      const std::size_t common = static_cast<std::size_t>(std::min<std::uint64_t>(length, file.size));
      bytes.resize(std::min(bytes.size(), common));
      original.resize(common);
      EXPECT_EQ(bytes, original);
    }
  }
  std::uint64_t clusterOfSector(std::uint64_t sector) {
    DWORD handle = lists.GetDriveList(u"C:")->Lookup(ROOT_ENTRY_ID).handle;
    for (std::uint64_t cluster = 2;; ++cluster) {
      std::uint64_t first = 0;
      if (FAT_GetFirstSectorOfCluster(handle, cluster, &first) != 0 || first > sector) return 0;
      if (first == sector) return cluster;
    }
  }
  CFileList lists;
  FakeUi ui;
  FakeProgress progress;
  RecoveryJob job;
  ScratchDir out;
};

// The system time (UTC) as a DOS date in the high half and a DOS time in the low half.
std::uint32_t dosNow() {
  SYSTEMTIME now{};
  FILETIME stamp{};
  WORD date = 0, time = 0;
  GetSystemTime(&now);
  SystemTimeToFileTime(&now, &stamp);
  FileTimeToDosDateTime(&stamp, &date, &time);
  return static_cast<std::uint32_t>(date) << 16 | time;
}

TEST_F(CarvingScanTest, PhysicalScanOfAFat32VolumeCarvesEveryDeletedFileAtItsFirstCluster) {
  attachFixture("carve-fat32.img");
  const std::uint32_t before = dosNow();
  DriveFileList& list = carve(u"C:");
  const std::uint32_t after = dosNow();
  expectEveryFileCarved(list, deletedFiles("carve-fat32.img"), [&](std::uint64_t s) { return clusterOfSector(s); }, 2);

  // The folders follow the registry's order, and every entry carries the moment the scan began.
  std::vector<std::u16string> folders, registryOrder;
  for (std::uint64_t id : list.Lookup(ROOT_ENTRY_ID).children) folders.push_back(list.Lookup(id).name.str());
  for (std::size_t i = 0; i < filterRegistry().count(); ++i) {
    std::u16string name(filterRegistry().item(i)->GetName());
    if (std::find(folders.begin(), folders.end(), name) != folders.end() &&
        std::find(registryOrder.begin(), registryOrder.end(), name) == registryOrder.end())
      registryOrder.push_back(name);
  }
  EXPECT_EQ(folders.size(), 18u);
  EXPECT_EQ(folders, registryOrder);
  std::uint32_t stamp = 0;
  for (const FileEntry& e : list) {
    if (e.id == ROOT_ENTRY_ID) continue;
    const std::uint32_t t = static_cast<std::uint32_t>(e.dosDate) << 16 | e.dosTime;
    if (stamp == 0) stamp = t;
    EXPECT_EQ(t, stamp) << utf16ToUtf8(e.name);
  }
  EXPECT_GE(stamp, before);
  EXPECT_LE(stamp, after);
}

TEST_F(CarvingScanTest, ThoroughScanOfAPartitionedDiskCarvesEveryDeletedFileAtItsSector) {
  attachFixture("carve-disk.img");
  DriveFileList& list = carve(u"{:");
  EXPECT_EQ(list.Lookup(ROOT_ENTRY_ID).kind, ENTRY_KIND_RAW_DEVICE);
  expectEveryFileCarved(list, deletedFiles("carve-disk.img"), [](std::uint64_t s) { return s; }, 1);
}

// The wizard's tree over the process's registry, with one type item cleared and Finish pressed.
void finishWizardWithout(const std::u16string& itemText) {
  TypeTree tree(filterRegistry());
  bool cleared = false;
  for (const TypeTreeCategory& c : tree.categories())
    for (const TypeTreeItem& item : c.items)
      if (item.text == itemText) cleared = (tree.itemFor(item.registryIndex)->checked = false, true);
  ASSERT_TRUE(cleared) << utf16ToUtf8(itemText);
  tree.applyTo(filterRegistry());
}

std::vector<std::u16string> carvedNames(DriveFileList& list, FileEntry* folder) {
  std::vector<std::u16string> names;
  if (folder)
    for (std::uint64_t id : folder->children) names.push_back(list.Lookup(id).name.str());
  return names;
}

TEST_F(CarvingScanTest, ClearingOnlyTheTiffItemStillListsNikonFilesAndNoTiffFolder) {
  finishWizardWithout(u"Tiff 图像 (.tif)");
  attachFixture("carve-fat32.img");
  DriveFileList& list = carve(u"C:");
  EXPECT_EQ(folder(list, u"Tiff 图像", u".tif"), nullptr);
  std::uint64_t nikonCluster = 0;
  for (const DeletedFile& f : deletedFiles("carve-fat32.img"))
    if (f.name == "make-nikon.tif") nikonCluster = clusterOfSector(f.sector);
  EXPECT_EQ(carvedNames(list, folder(list, u"Nikon 原始图像", u".nef")),
            std::vector<std::u16string>{u"file" + utf8ToUtf16(std::to_string(nikonCluster)) + u".nef"});
  EXPECT_NE(folder(list, u"Jpeg 图像", u".jpg"), nullptr) << "the other types are still carved";
}

TEST_F(CarvingScanTest, ClearingOnlyTheNikonItemListsTheTiffFilesAndNoNikonFolder) {
  finishWizardWithout(u"Nikon 原始图像 (.nef)");
  attachFixture("carve-fat32.img");
  DriveFileList& list = carve(u"C:");
  EXPECT_EQ(folder(list, u"Nikon 原始图像", u".nef"), nullptr);
  std::vector<std::u16string> tiffs;
  for (const DeletedFile& f : deletedFiles("carve-fat32.img"))
    if (carvedTypeOf(f.name).extension == u".tif")
      tiffs.push_back(u"file" + utf8ToUtf16(std::to_string(clusterOfSector(f.sector))) + u".tif");
  EXPECT_EQ(carvedNames(list, folder(list, u"Tiff 图像", u".tif")), tiffs) << "the TIFF pictures and nothing else";
  EXPECT_NE(folder(list, u"Olympus 原始图像", u".orf"), nullptr) << "the other raw types stay";
}

TEST_F(CarvingScanTest, ExactLengthsCarveEveryDeletedFileWholeAtItsFirstCluster) {
  test::ScopedExactLengths exact;
  attachFixture("carve-fat32.img");
  expectEveryFileCarved(carve(u"C:"), deletedFiles("carve-fat32.img"), [&](std::uint64_t s) { return clusterOfSector(s); }, 2);
}

TEST_F(CarvingScanTest, ExactLengthsCarveTiffsPdfsChineseTextMusicAndVideoWhole) {
  test::ScopedExactLengths exact;
  attachFixture("exact-fat32.img");
  expectEveryFileCarved(carve(u"C:"), deletedFiles("exact-fat32.img", 19), [&](std::uint64_t s) { return clusterOfSector(s); },
                        4, "exact-files/");
}

}  // namespace
}  // namespace tarvosk::test
