// Basic scans of an NTFS volume made by mkntfs and ntfs-3g, checked against what sleuthkit
// lists on the same image (fls -r for the entries, istat for each deleted file's clusters, blkls
// for the clusters in use); and the cases no tool makes, patched into a copy of it.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "ntfs/NtfsImageBuilder.h"
#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "scan/EntryTimes.h"
#include "scan/RecoveryChance.h"
#include "OracleScanTest.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

constexpr char kImage[] = "scan-ntfs.img";
constexpr char kOrphanPrefix[] = "$OrphanFiles/";

// Where the scan lists what fls prints as path: under the root, or in "ORPHAN" for the files
// sleuthkit finds no folder for.
std::u16string listedPath(const FlsEntry& e) {
  std::string path = e.path;
  if (path.rfind(kOrphanPrefix, 0) == 0) path = "ORPHAN/" + path.substr(sizeof kOrphanPrefix - 1);
  std::replace(path.begin(), path.end(), '/', '\\');
  return u"\\" + utf8ToUtf16(path);
}

// A record without a name of its own: sleuthkit calls it "OrphanFile-N".
bool isUnnamedRecord(const FlsEntry& e) { return e.path.rfind(std::string(kOrphanPrefix) + "OrphanFile-", 0) == 0; }

std::u16string chanceText(std::uint8_t level) {
  return std::u16string(loadString(level == CHANCE_POOR ? res::IDS_CHANCE_POOR
                                   : level == CHANCE_PROBABLY_GOOD ? res::IDS_CHANCE_PROBABLY_GOOD
                                                                   : res::IDS_CHANCE_NOT_RECOVERABLE));
}

using NtfsScanTest = OracleScanTest;

TEST_F(NtfsScanTest, ListsEveryDeletedFileAndFolderWithItsNameSizeAndParent) {
  scanFixture(kImage);
  std::size_t named = 0, unnamed = 0;
  for (const FlsEntry& e : fls_) {
    if (!e.deleted) continue;
    if (isUnnamedRecord(e)) {
      EXPECT_EQ(list_->Find(e.inode), nullptr) << "a record without a $FILE_NAME is not listed: " << e.path;
      ++unnamed;
      continue;
    }
    std::u16string path = listedPath(e);
    ASSERT_TRUE(entries_.count(path)) << "fls lists deleted " << e.path << ", the scan does not";
    const FileEntry& listed = *entries_[path];
    ++named;
    EXPECT_EQ(listed.id, e.inode) << e.path;
    EXPECT_TRUE(listed.deleted) << e.path;
    EXPECT_EQ(listed.isFolder, e.folder) << e.path;
    EXPECT_EQ(listed.kind, ENTRY_KIND_NTFS) << e.path;
    if (!e.folder) {
      EXPECT_EQ(listed.size, e.size) << e.path;
    }
    std::u16string folder = path.substr(0, path.rfind(u'\\'));
    std::uint64_t parent = folder.empty() ? ROOT_ENTRY_ID : entries_.at(folder)->id;
    EXPECT_EQ(listed.parentId, parent) << e.path;
  }
  EXPECT_GE(named, 8u);
  EXPECT_GT(unnamed, 0u);
  std::size_t listedDeleted = 0;
  for (const auto& [path, entry] : entries_)
    if (entry->deleted && entry->id != ORPHAN_FOLDER_ENTRY_ID) ++listedDeleted;
  EXPECT_EQ(listedDeleted, named) << "nothing is listed that fls does not find";
}

TEST_F(NtfsScanTest, TheRootIsDotAndLiveFoldersAreListedButNoLiveFile) {
  scanFixture(kImage);
  const FileEntry& root = list_->Lookup(ROOT_ENTRY_ID);
  EXPECT_EQ(root.name, u".");
  EXPECT_EQ(root.parentId, 0u);
  for (const FlsEntry& e : fls_) {
    if (e.deleted) continue;
    if (e.folder) {
      ASSERT_TRUE(entries_.count(listedPath(e))) << e.path;
      EXPECT_FALSE(entries_[listedPath(e)]->deleted) << e.path;
    } else {
      EXPECT_FALSE(entries_.count(listedPath(e))) << "live file listed: " << e.path;
    }
  }
  EXPECT_TRUE(entries_.at(u"\\Docs")->hasSubfolders);
  EXPECT_FALSE(entries_.at(u"\\Docs")->noDeletedFiles);
}

// The time each entry shows is kept by the scan from the record's first $FILE_NAME: the same time
// as reading the record again gives.
TEST_F(NtfsScanTest, KeepsTheTimeOfEachEntrysFirstFileName) {
  scanFixture(kImage);
  std::size_t timed = 0;
  for (const auto& [path, entry] : entries_) {
    if (entry->id == ORPHAN_FOLDER_ENTRY_ID) continue;
    EXPECT_NE(entry->fileNameTime, 0u) << utf16ToUtf8(path);
    FileEntry readAgain = *entry;
    readAgain.fileNameTime = 0;
    FILETIME kept{}, read{};
    ASSERT_TRUE(entryModifiedTime(*entry, kept)) << utf16ToUtf8(path);
    ASSERT_TRUE(entryModifiedTime(readAgain, read)) << utf16ToUtf8(path);
    EXPECT_EQ(std::make_pair(kept.dwHighDateTime, kept.dwLowDateTime), std::make_pair(read.dwHighDateTime, read.dwLowDateTime))
        << utf16ToUtf8(path);
    ++timed;
  }
  EXPECT_GE(timed, 10u);
}

TEST_F(NtfsScanTest, AFileWhoseFolderRecordNowHoldsALiveFileLandsInOrphan) {
  scanFixture(kImage);
  const FlsEntry& orphan = flsEntry("$OrphanFiles/orphan.txt");
  const FileEntry* folder = list_->Find(ORPHAN_FOLDER_ENTRY_ID);
  ASSERT_NE(folder, nullptr);
  EXPECT_EQ(folder->name, u"ORPHAN");
  EXPECT_TRUE(folder->deleted && folder->isFolder);
  EXPECT_EQ(folder->parentId, ROOT_ENTRY_ID);
  const auto& rootChildren = list_->Lookup(ROOT_ENTRY_ID).children;
  EXPECT_EQ(std::count(rootChildren.begin(), rootChildren.end(), ORPHAN_FOLDER_ENTRY_ID), 1);
  EXPECT_EQ(std::vector<std::uint64_t>(folder->children.begin(), folder->children.end()), std::vector<std::uint64_t>{orphan.inode});
  EXPECT_EQ(list_->Lookup(orphan.inode).parentId, ORPHAN_FOLDER_ENTRY_ID);
}

// The scan rates a deleted file of few clusters as it passes the record; a larger one is rated
// when its chance is first asked for. Either way the level says whether every cluster is free.
TEST_F(NtfsScanTest, RatesEachDeletedFileByWhetherItsClustersAreFree) {
  scanFixture(kImage);
  AllocatedBlocks allocated(image_);
  auto istat = readIstat(image_);
  std::set<std::string> kinds;
  std::size_t large = 0;
  for (const FlsEntry& e : fls_) {
    if (!e.deleted || e.folder || isUnnamedRecord(e)) continue;
    FileEntry& entry = list_->Lookup(e.inode);
    const IstatBlocks& blocks = istat.at(e.inode);
    std::uint64_t clusters = 0;
    bool anyInUse = false;
    for (std::uint64_t c : blocks.blocks) {
      if (c == 0) continue;  // sparse
      ++clusters;
      anyInUse = anyInUse || allocated.allocated(c);
    }
    std::uint8_t expected = anyInUse ? CHANCE_POOR : CHANCE_PROBABLY_GOOD;
    bool ratedByScan = clusters <= kClustersRatedByScan;
    EXPECT_EQ(entry.recoveryChance, ratedByScan ? expected : std::uint8_t{CHANCE_NOT_RATED}) << e.path;
    kinds.insert(blocks.resident ? "resident" : clusters == 0 ? "sparse only" : anyInUse ? "reused" : "free");
    large += ratedByScan ? 0 : 1;
    WCHAR text[kRecoveryChanceTextUnits] = {};
    GetRecoveryChanceText(text, entry);
    EXPECT_EQ(entry.recoveryChance, expected) << e.path;
    EXPECT_EQ(std::u16string(text), chanceText(expected)) << e.path;
  }
  EXPECT_EQ(kinds, (std::set<std::string>{"resident", "sparse only", "reused", "free"}))
      << "the image holds deleted files of every kind";
  EXPECT_EQ(large, 1u) << "one of more clusters than the scan rates";
}

TEST_F(NtfsScanTest, WithChancesHiddenNoFileIsRated) {
  settings().ShowRecoveryChanses = false;
  scanFixture(kImage);
  std::size_t asked = 0;
  for (const FlsEntry& e : fls_) {
    if (!e.deleted || e.folder || isUnnamedRecord(e)) continue;
    FileEntry& entry = list_->Lookup(e.inode);
    EXPECT_EQ(entry.recoveryChance, CHANCE_NOT_RATED) << e.path << " is not rated by the scan";
    WCHAR text[kRecoveryChanceTextUnits] = u"untouched";
    GetRecoveryChanceText(text, entry);
    EXPECT_EQ(text[0], 0) << e.path;
    EXPECT_EQ(entry.recoveryChance, CHANCE_NOT_RATED) << e.path;
    ++asked;
  }
  EXPECT_GT(asked, 5u);
}

// The byte offset of an MFT record in the image; the root's record must lie where the boot
// sector says the $MFT begins.
std::size_t recordOffset(ByteSpan image, std::uint64_t record) {
  std::uint64_t clusterSize = std::uint64_t{le16(image, 0x0B)} * le8(image, 0x0D);
  std::size_t mft = le64(image, 0x30) * clusterSize;
  std::size_t offset = mft + record * 1024;
  constexpr std::uint32_t kFileSignature = 0x454C4946;  // "FILE"
  if (le32(image, mft + 5 * 1024) != kFileSignature || le32(image, mft + 5 * 1024 + 0x2C) != 5 ||
      !fitsIn(image.size(), offset, 1024) || le32(image, offset) != kFileSignature)
    throw std::runtime_error("record " + std::to_string(record) + " is not where the boot sector says");
  return offset;
}

void putRecord(std::vector<std::uint8_t>& image, std::uint64_t record, const std::vector<std::uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(recordOffset(image, record)));
}

// Changes one record of the image: its sector ends are put back from the update sequence array,
// edit(record, attribute offset) changes each attribute of that type, and the record is
// protected again.
template <typename Edit>
void patchAttribute(std::vector<std::uint8_t>& image, std::uint64_t record, std::uint32_t type, Edit edit) {
  std::size_t at = recordOffset(image, record);
  std::vector<std::uint8_t> r(image.begin() + at, image.begin() + at + 1024);
  std::uint16_t usa = le16(r, 4), count = le16(r, 6), usn = le16(r, usa);
  for (std::uint16_t i = 1; i < count; ++i) putLe16(r.data() + i * 512 - 2, le16(r, usa + 2u * i));
  bool found = false;
  for (std::size_t a = le16(r, 0x14); fitsIn(r.size(), a, 8) && le32(r, a) != 0xFFFFFFFF && le32(r, a + 4) != 0;
       a += le32(r, a + 4)) {
    if (le32(r, a) != type) continue;
    edit(r, a);
    found = true;
  }
  if (!found) throw std::runtime_error("record " + std::to_string(record) + " has no attribute of that type");
  protectRecord(r, usn);
  std::copy(r.begin(), r.end(), image.begin() + static_cast<std::ptrdiff_t>(at));
}

TEST_F(NtfsScanTest, AnUndecodableRunListRatesOneAndAFolderBeyondTheMftMakesAnOrphan) {
  readOracle(kImage);
  std::vector<std::uint8_t> image = readWholeFile(image_);
  const FlsEntry& intact = flsEntry("Docs/intact.bin");
  const FlsEntry& trashed = flsEntry("Trash/trashed.bin");
  patchAttribute(image, intact.inode, 0x80, [](std::vector<std::uint8_t>& r, std::size_t a) {
    r.at(a + le16(r, a + 0x20)) = 0x99;  // nine bytes of length and nine of offset: no such run
  });
  patchAttribute(image, trashed.inode, 0x30, [](std::vector<std::uint8_t>& r, std::size_t a) {
    putLe32(&r.at(a + le16(r, a + 0x14)), 0x00FFFFFF);  // the parent's record number, far beyond the MFT
  });
  ScratchDir scratch;
  writeWholeFile(scratch.file("patched.img"), image);
  scanImage(scratch.file("patched.img"));

  FileEntry& undecodable = list_->Lookup(intact.inode);
  WCHAR text[kRecoveryChanceTextUnits] = {};
  GetRecoveryChanceText(text, undecodable);
  EXPECT_EQ(undecodable.recoveryChance, CHANCE_NOT_RECOVERABLE);
  EXPECT_EQ(std::u16string(text), chanceText(CHANCE_NOT_RECOVERABLE));

  EXPECT_TRUE(entries_.count(u"\\ORPHAN\\trashed.bin"));
  EXPECT_TRUE(entries_.count(u"\\ORPHAN\\orphan.txt"));
  EXPECT_FALSE(entries_.count(u"\\Trash\\trashed.bin"));
}

// A deleted file whose base record holds no $DATA: its attribute list names two extension
// records, the first extent with the size and a second one, as NTFS splits a long run list.
TEST_F(NtfsScanTest, AFileWhoseDataLiesInExtensionRecordsGetsItsWholeSize) {
  readOracle(kImage);
  std::vector<std::uint8_t> image = readWholeFile(image_);
  const FlsEntry& intact = flsEntry("Docs/intact.bin");
  const std::vector<std::uint64_t> clusters = readIstat(image_).at(intact.inode).blocks;
  ASSERT_GE(clusters.size(), 2u);
  const std::uint64_t half = clusters.size() / 2, first = 16, second = 17;  // unused records
  std::vector<std::uint8_t> list = attributeListEntry(0x80, 0, first);
  std::vector<std::uint8_t> more = attributeListEntry(0x80, half, second);
  list.insert(list.end(), more.begin(), more.end());
  putRecord(image, intact.inode,
            RecordBuilder().flags(0).resident(0x20, list).fileName(ROOT_ENTRY_ID, u"extended.bin", 1).build());
  putRecord(image, first,
            RecordBuilder().flags(0).baseReference(intact.inode)
                .nonResident(0x80, encodeRunList({{half, static_cast<std::int64_t>(clusters.front())}}), intact.size)
                .build());
  putRecord(image, second,
            RecordBuilder().flags(0).baseReference(intact.inode)
                .nonResident(0x80, encodeRunList({{clusters.size() - half, static_cast<std::int64_t>(clusters[half])}}),
                             0, half)
                .build());
  ScratchDir scratch;
  writeWholeFile(scratch.file("extended.img"), image);
  scanImage(scratch.file("extended.img"));

  ASSERT_TRUE(entries_.count(u"\\extended.bin"));
  FileEntry& extended = list_->Lookup(entries_[u"\\extended.bin"]->id);
  EXPECT_EQ(extended.id, intact.inode);
  EXPECT_TRUE(extended.deleted);
  EXPECT_EQ(extended.size, intact.size);
  WCHAR text[kRecoveryChanceTextUnits] = {};
  GetRecoveryChanceText(text, extended);
  EXPECT_EQ(extended.recoveryChance, CHANCE_PROBABLY_GOOD) << "its clusters, found through the extension record, are free";
}

// The $MFT is read in large pieces; a piece that holds a bad sector must cost only the records
// of the cluster that holds it.
TEST_F(NtfsScanTest, ABadSectorInTheMftLosesOnlyTheRecordsOfItsCluster) {
  readOracle(kImage);
  std::vector<std::uint8_t> image = readWholeFile(image_);
  const std::uint64_t recordsPerCluster = std::uint64_t{le16(image, 0x0B)} * le8(image, 0x0D) / 1024;
  const FlsEntry hit = flsEntry("Docs/resident.txt");  // a copy: scanFixture reads the listing again
  AttachOptions options;
  options.badSectors.push_back({recordOffset(image, hit.inode) / 512, 2});
  scanFixture(kImage, options);
  std::size_t kept = 0, lost = 0;
  for (const FlsEntry& e : fls_) {
    if (!e.deleted || isUnnamedRecord(e)) continue;
    bool sameCluster = e.inode / recordsPerCluster == hit.inode / recordsPerCluster;
    EXPECT_EQ(entries_.count(listedPath(e)), sameCluster ? 0u : 1u) << e.path;
    (sameCluster ? lost : kept)++;
  }
  EXPECT_GT(lost, 0u);
  EXPECT_GT(kept, 3u) << "records in the same 64 KiB of the $MFT but in other clusters are still read";
}

}  // namespace
}  // namespace tarvosk::test
