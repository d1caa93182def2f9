// Recovering, searching and viewing deleted files of exFAT volumes made by mkfs.exfat and
// exfat-fuse (build-exfat-fixtures.sh), compared with the originals byte for byte: extents
// copied whole, a FAT chain that exfat-fuse cleared brought back from the free clusters, and
// valid data lengths patched in where no tool writes them.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/CodePage.h"
#include "recover/RecoveryTest.h"
#include "scan/EntryContent.h"
#include "search/SearchEngine.h"
#include "support/ExfatFixture.h"
#include "viewers/UnitList.h"

namespace tarvosk::test {
namespace {

class RecoverExfatFilesTest : public RecoveryTest {
 protected:
  // Scans a patched copy as drive C:.
  DriveFileList& scanCopy(const ExfatImageCopy& copy) {
    copy.save();
    EXPECT_TRUE(attachImage(copy.path()));
    EXPECT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
    return *lists.GetDriveList(u"C:");
  }
  std::vector<std::uint8_t> recovered(DriveFileList& list, const std::string& path) {
    FileEntry& entry = mustFind(list, path);
    job.log.clear();
    EXPECT_TRUE(RecoverEntry(list, entry, nullptr, target(), job)) << path << ": " << utf16ToUtf8(job.log);
    EXPECT_EQ(job.log, u"File " + entry.name.str() + u": Succeeded\r\n");
    return readWholeFile(outputOf(entry));
  }
};

TEST_F(RecoverExfatFilesTest, DeletedFilesComeBackByteForByte) {
  struct Case {
    const char* image;
    const char* path;
    const char* original;
  };
  const Case cases[] = {
      {"exfat-4k.img", "contig.bin", "contig.bin"},
      {"exfat-4k.img", "已删除的照片.jpg", "photo.jpg"},
      {"exfat-4k.img", "A rather long file name that needs four name entries to hold it.bin", "small.bin"},
      {"exfat-4k.img", "Projects/Alpha/gone.bin", "small.bin"},
      {"exfat-4k.img", "Old/An old long name.txt", "readme.txt"},
      {"exfat-4k.img", "frag.bin", "frag.bin"},  // its chain cleared: the free clusters after each
      {"exfat-512.img", "contig.bin", "contig.bin"},
      {"exfat-32k.img", "big32k.bin", "big32k.bin"},
      {"exfat-32k.img", "报告.txt", "report.txt"},
  };
  std::string scanned;
  DriveFileList* list = nullptr;
  job.yesToAll = true;  // contig.bin comes from two volumes
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    if (scanned != c.image) {
      lists.RemoveDriveList(u"C:");
      detachAll();
      list = &scan(c.image);
      scanned = c.image;
    }
    EXPECT_EQ(recovered(*list, c.path), exfatOriginal(c.original)) << c.image;
  }
}

TEST_F(RecoverExfatFilesTest, ADeletedFolderComesBackWithItsDeletedFolders) {
  DriveFileList& list = scan("exfat-4k.img");
  EXPECT_TRUE(RecoverEntry(list, mustFind(list, "Old"), nullptr, target(), job)) << utf16ToUtf8(job.log);
  EXPECT_EQ(readWholeFile(out.file("Old/old.bin")), exfatOriginal("small.bin"));
  EXPECT_EQ(readWholeFile(out.file("Old/Inner/old.txt")), std::vector<std::uint8_t>({'o', 'l', 'd', '\r', '\n'}));
}

TEST_F(RecoverExfatFilesTest, PatchedStreamExtensionsComeBackAsFarAsTheirDataGoes) {
  ExfatImageCopy copy("exfat-4k.img");
  copy.patchStream(u"contig.bin", [](std::uint8_t* stream) { putLe64(stream + 8, 100000); });
  copy.patchStream(u"已删除的照片.jpg", [](std::uint8_t* stream) { putLe64(stream + 8, le64(ByteSpan(stream, 32), 24) + 50000); });
  copy.patchStream(u"A rather long file name", [](std::uint8_t* stream) { putLe32(stream + 20, 0xFFFFFF00); });
  DriveFileList& list = scanCopy(copy);
  std::vector<std::uint8_t> expected = exfatOriginal("contig.bin");
  std::fill(expected.begin() + 100000, expected.end(), 0);
  EXPECT_EQ(recovered(list, "contig.bin"), expected) << "zeros past the valid data length";
  EXPECT_EQ(recovered(list, "已删除的照片.jpg"), exfatOriginal("photo.jpg")) << "a valid length above the data length";
  FileEntry& lost = mustFind(list, "A rather long file name that needs four name entries to hold it.bin");
  job.log.clear();
  EXPECT_FALSE(RecoverEntry(list, lost, nullptr, target(), job)) << "a first cluster outside the heap";
  EXPECT_NE(job.log.find(u"无法恢复该文件"), std::u16string::npos) << utf16ToUtf8(job.log);
  EXPECT_FALSE(std::filesystem::exists(outputOf(lost)));
}

TEST_F(RecoverExfatFilesTest, TheContentSearchAndTheViewerFollowTheSameClusters) {
  DriveFileList& list = scan("exfat-4k.img");
  FileEntry& frag = mustFind(list, "frag.bin");
  std::vector<std::uint8_t> read;
  ASSERT_TRUE(readFileContent(frag, [&read](ByteSpan piece) {
    read.insert(read.end(), piece.begin(), piece.end());
    return true;
  }));
  const std::vector<std::uint8_t> original = exfatOriginal("frag.bin");
  EXPECT_EQ(read, original);

  // Ten bytes across the end of frag.bin's first cluster, whose second cluster is not the next.
  SearchCriteria criteria;
  criteria.hex = true;
  for (std::size_t i = 4091; i < 4101; ++i) {
    char hex[3];
    std::snprintf(hex, sizeof hex, "%02X", original[i]);
    criteria.contentText += utf8ToUtf16(hex);
  }
  std::unique_ptr<DriveFileList> found = RunSearch(list, ROOT_ENTRY_ID, u"*", criteria, progress);
  ASSERT_EQ(found->Lookup(ROOT_ENTRY_ID).children.size(), 1u);
  EXPECT_EQ(found->Lookup(ROOT_ENTRY_ID).children[0], frag.id);

  FileUnits units = listFileUnits(frag);
  ASSERT_EQ(units.units.size(), 10u);
  EXPECT_EQ(units.unitSize, 4096u);
  for (std::size_t i = 0; i < units.units.size(); ++i) {
    EXPECT_TRUE(units.units[i].free);
    if (i > 0) {
      EXPECT_EQ(units.units[i].number, units.units[i - 1].number + 2) << "filler.bin's clusters between";
    }
  }
  std::vector<std::uint8_t> unit;
  ASSERT_TRUE(readFileUnit(frag, units, 9, unit));
  EXPECT_TRUE(std::equal(unit.begin(), unit.end(), original.end() - 4096));

  lists.RemoveDriveList(u"C:");
  detachAll();
  DriveFileList& reused = scan("exfat-4k-reused.img");
  units = listFileUnits(mustFind(reused, "frag.bin"));
  ASSERT_EQ(units.units.size(), 10u) << "no free cluster near enough: the clusters after the first";
  for (const ViewerUnit& u : units.units) EXPECT_FALSE(u.free) << u.number << " is newer.bin's or filler.bin's";
}

}  // namespace
}  // namespace tarvosk::test
