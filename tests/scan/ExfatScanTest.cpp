// Basic and physical scans of exFAT volumes made by mkfs.exfat and filled through exfat-fuse,
// checked against sleuthkit's fls on the same images: deleted files and folders under their
// folders with names, sizes and times, the recovery chances before and after a new file took
// the clusters of the deleted ones, the recycle folder, and a JPEG carved out of the free
// clusters.
#include <gtest/gtest.h>

#include <algorithm>

#include "exfat/ExfatDirectoryWalker.h"
#include "platform/CodePage.h"
#include "platform/Time.h"
#include "recover/RecoverEntry.h"
#include "scan/EntryTimes.h"
#include "OracleScanTest.h"
#include "support/ExfatFixture.h"

namespace tarvosk::test {
namespace {

std::u16string listedPath(const FlsEntry& e) {
  std::string path = e.path;
  std::replace(path.begin(), path.end(), '/', '\\');
  return u"\\" + utf8ToUtf16(path);
}

// fls's own entries for the bitmap and the up-case table, and the sets it finds by reading
// every cluster ($OrphanFiles), belong to no folder the scan walks.
bool inAFolder(const FlsEntry& e) { return e.path[0] != '$'; }

class ExfatScanTest : public OracleScanTest {};
class EveryExfatScan : public ExfatScanTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryExfatScan, ListsWhatFlsListsUnderTheSameFolders) {
  scanFixture(GetParam());
  std::size_t deleted = 0;
  for (const FlsEntry& e : fls_) {
    if (!inAFolder(e) || (!e.deleted && !e.folder)) continue;
    const std::u16string path = listedPath(e);
    ASSERT_TRUE(entries_.count(path)) << "fls lists " << e.path << ", the scan does not";
    const FileEntry& listed = *entries_[path];
    EXPECT_EQ(listed.deleted, e.deleted) << e.path;
    EXPECT_EQ(listed.isFolder, e.folder) << e.path;
    EXPECT_EQ(listed.kind, ENTRY_KIND_EXFAT);
    if (!e.folder) {
      EXPECT_EQ(listed.size, e.size) << e.path;
      EXPECT_GE(listed.recoveryChance, CHANCE_NOT_RECOVERABLE) << "rated as it was listed: " << e.path;
      // fls prints the modification time in UTC to the second; the entry keeps it in DOS form.
      FILETIME local{}, utc{};
      SYSTEMTIME t{};
      ASSERT_TRUE(entryModifiedTime(listed, local)) << e.path;
      LocalFileTimeToFileTime(&local, &utc);
      FileTimeToSystemTime(&utc, &t);
      char text[32];
      std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
      EXPECT_EQ(e.modified.substr(0, 16), text) << e.path;
    }
    deleted += e.deleted;
  }
  std::size_t listedDeleted = 0;
  for (const auto& [path, entry] : entries_) listedDeleted += entry->deleted;
  EXPECT_EQ(listedDeleted, deleted) << "nothing is listed that fls does not find";
  EXPECT_GE(deleted, 2u);
}

INSTANTIATE_TEST_SUITE_P(MadeByMkfsExfat, EveryExfatScan,
                         ::testing::Values("exfat-4k.img", "exfat-4k-reused.img", "exfat-512.img", "exfat-32k.img"));

TEST_F(ExfatScanTest, ChancesFollowTheBitmapBeforeAndAfterTheClustersAreTaken) {
  struct Case {
    const char* path;
    std::uint8_t before, after;  // on exfat-4k.img, and once newer.bin has filled the volume
  };
  const Case cases[] = {
      {"\\已删除的照片.jpg", CHANCE_PROBABLY_GOOD, CHANCE_NOT_RECOVERABLE},
      {"\\A rather long file name that needs four name entries to hold it.bin", CHANCE_PROBABLY_GOOD,
       CHANCE_NOT_RECOVERABLE},
      {"\\Projects\\Alpha\\gone.bin", CHANCE_PROBABLY_GOOD, CHANCE_NOT_RECOVERABLE},
      // A FAT chain: the FAT rule's consecutive clusters alternate with filler.bin's.
      {"\\frag.bin", CHANCE_POOR, CHANCE_NOT_RECOVERABLE},
  };
  scanFixture("exfat-4k.img");
  for (const Case& c : cases) EXPECT_EQ(entries_.at(utf8ToUtf16(c.path))->recoveryChance, c.before) << c.path;
  EXPECT_EQ(entries_.at(u"\\Old\\old.bin")->recoveryChance, CHANCE_PROBABLY_GOOD) << "in a deleted folder";
  lists_.RemoveDriveList(u"C:");
  detachAll();
  scanFixture("exfat-4k-reused.img");
  for (const Case& c : cases) EXPECT_EQ(entries_.at(utf8ToUtf16(c.path))->recoveryChance, c.after) << c.path;
}

TEST_F(ExfatScanTest, DeletedFoldersAreWalkedAndFoldersWithoutDeletedFilesAreMarked) {
  scanFixture("exfat-4k.img");
  const FileEntry& old = *entries_.at(u"\\Old");
  EXPECT_TRUE(old.deleted && old.isFolder && old.hasSubfolders);
  EXPECT_FALSE(old.noDeletedFiles);
  EXPECT_TRUE(entries_.at(u"\\Old\\Inner\\old.txt")->deleted);
  EXPECT_TRUE(entries_.at(u"\\中文文件夹")->noDeletedFiles);
  EXPECT_FALSE(entries_.at(u"\\Many")->noDeletedFiles);
  EXPECT_FALSE(entries_.at(u"\\Projects")->noDeletedFiles);
  EXPECT_FALSE(entries_.count(u"\\readme.txt")) << "live files are not listed";
}

TEST_F(ExfatScanTest, ARemovableCardsPartitionIsScannedAsExfat) {
  // A removable drive is taken as FAT without its partition type looked at; and type 0x07 says
  // NTFS on a fixed one: exFAT is known by the file system's name either way.
  for (bool removable : {true, false}) {
    detachAll();
    AttachOptions options;
    options.removable = removable;
    attachFixture("exfat-gpt.img", options);
    ASSERT_TRUE(lists_.BuildFileList(u"C:", progress_, false, 0, 0)) << removable;
    DriveFileList& list = *lists_.GetDriveList(u"C:");
    std::map<std::u16string, const FileEntry*> entries = entriesByPath(list);
    ASSERT_TRUE(entries.count(u"\\gone.bin")) << removable;
    EXPECT_TRUE(entries.at(u"\\gone.bin")->deleted);
    EXPECT_EQ(list.Lookup(ROOT_ENTRY_ID).kind, ENTRY_KIND_EXFAT);
    lists_.RemoveDriveList(u"C:");
  }
}

TEST_F(ExfatScanTest, TheRecycleFolderOfAnExfatVolumeIsListedAndCopiedBack) {
  attachFixture("exfat-mbr.img");
  ASSERT_TRUE(lists_.BuildFileList(u"C:", progress_, false, 0, 0));
  DriveFileList& list = *lists_.GetDriveList(u"C:");
  std::map<std::u16string, const FileEntry*> entries = entriesByPath(list);
  ASSERT_TRUE(entries.count(u"\\old notes.txt"));
  FileEntry& kept = list.Lookup(entries.at(u"\\old notes.txt")->id);
  EXPECT_EQ(kept.kind, ENTRY_KIND_RECYCLE_BIN);
  EXPECT_EQ(kept.recoveryChance, CHANCE_EXCELLENT);
  EXPECT_FALSE(list.Lookup(ROOT_ENTRY_ID).noDeletedFiles);
  ScratchDir out;
  RecoveryJob job;
  ASSERT_TRUE(RecoverEntry(list, kept, nullptr, utf8ToUtf16(out.path().string()), job));
  EXPECT_EQ(readWholeFile(out.file("old notes.txt")), exfatOriginal("report.txt"));
}

TEST_F(ExfatScanTest, ThePhysicalScanCarvesTheDeletedJpegOutOfTheFreeClusters) {
  ScratchDir out;
  for (const char* image : {"exfat-4k.img", "exfat-32k.img"}) {
    SCOPED_TRACE(image);
    detachAll();
    scanFixture(image);
    const FileEntry& photo = *entries_.at(std::string(image) == "exfat-4k.img" ? u"\\已删除的照片.jpg" : u"\\photo.jpg");
    ExfatEntrySet set;
    ASSERT_EQ(EXFAT_ReadEntrySet(photo.handle, photo.id, &set), LAYER_SUCCESS);
    lists_.RemoveDriveList(u"C:");
    ASSERT_TRUE(lists_.BuildFileList(u"C:", progress_, true, 0, 0));
    DriveFileList& carved = *lists_.GetDriveList(u"C:");
    FileEntry* found = nullptr;
    for (FileEntry& e : carved)
      if (!e.isFolder && e.startPosition == set.firstCluster && e.name.str().ends_with(u".jpg")) found = &e;
    ASSERT_NE(found, nullptr) << "no JPEG carved at cluster " << set.firstCluster;
    EXPECT_EQ(found->kind, ENTRY_KIND_EXFAT);
    RecoveryJob job;
    const std::u16string target = utf8ToUtf16(out.path().string());
    ASSERT_TRUE(RecoverEntry(carved, *found, nullptr, target, job)) << utf16ToUtf8(job.log);
    EXPECT_EQ(readWholeFile(out.file(utf16ToUtf8(found->name.str()))), exfatOriginal("photo.jpg"));
    lists_.RemoveDriveList(u"C:");
  }
}

}  // namespace
}  // namespace tarvosk::test
