// Basic scans of FAT12, FAT16 and FAT32 volumes made by mkfs.fat and mtools, checked against
// what sleuthkit lists on the same images: fls -r for the entries (its deleted ones are what
// fls -r -d reports), istat for each deleted file's first cluster, blkls for the clusters in use.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>

#include "platform/CodePage.h"
#include "scan/RecoveryChance.h"
#include "OracleScanTest.h"
#include "support/FatOracle.h"

namespace tarvosk::test {
namespace {

// fls shows a deleted short name's lost first character as "_"; the scan lists it as "?".
std::u16string listedPath(const FlsEntry& e) {
  std::string path = "/" + e.path;
  std::size_t last = path.rfind('/');
  if (e.deleted && path.compare(last + 1, 1, "_") == 0) path[last + 1] = '?';
  std::replace(path.begin(), path.end(), '/', '\\');
  return utf8ToUtf16(path);
}

std::string dosStamp(const FileEntry& e) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (e.dosDate >> 9), (e.dosDate >> 5) & 15,
                e.dosDate & 31, e.dosTime >> 11, (e.dosTime >> 5) & 63, (e.dosTime & 31) * 2);
  return text;
}

class FatScanTest : public OracleScanTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    OracleScanTest::SetUp();
    scanFixture(GetParam());
  }

  // The FAT rule, from sleuthkit's view of the image: the file's clusters counted from the
  // first one istat lists, each free when blkls does not list its first sector as allocated.
  std::uint8_t expectedChance(const FlsEntry& e, const FatOracle& geometry, const AllocatedBlocks& allocated,
                              const std::map<std::uint64_t, IstatBlocks>& istat) {
    std::uint64_t n = (e.size + geometry.clusterSize - 1) / geometry.clusterSize;
    if (n == 0 || n > 100000) return CHANCE_NOT_RECOVERABLE;
    const std::vector<std::uint64_t>& sectors = istat.at(e.inode).blocks;
    if (sectors.empty()) return CHANCE_NOT_RECOVERABLE;
    const std::uint64_t perCluster = geometry.clusterSize / geometry.sectorSize;
    std::uint64_t first = (sectors.front() - geometry.firstClusterSector) / perCluster + 2;
    std::uint64_t free = 0;
    for (std::uint64_t c = first; c < first + n; ++c)
      if (!allocated.allocated(geometry.firstClusterSector + (c - 2) * perCluster)) ++free;
    if (free == 0) return CHANCE_NOT_RECOVERABLE;
    return free == n ? CHANCE_PROBABLY_GOOD : CHANCE_POOR;
  }

};

TEST_P(FatScanTest, ListsEveryDeletedFileUnderItsFolderWithNameSizeTimeAndChance) {
  FatOracle geometry = readFatOracle(image_);
  AllocatedBlocks allocated(image_);
  auto istat = readIstat(image_);
  std::set<std::uint8_t> levelsSeen;
  std::size_t deletedFiles = 0;
  for (const FlsEntry& e : fls_) {
    if (!e.deleted) continue;
    std::u16string path = listedPath(e);
    ASSERT_TRUE(entries_.count(path)) << GetParam() << ": fls lists deleted " << e.path << ", the scan does not";
    const FileEntry& listed = *entries_[path];
    EXPECT_TRUE(listed.deleted) << e.path;
    EXPECT_EQ(listed.isFolder, e.folder) << e.path;
    EXPECT_EQ(listed.kind, ENTRY_KIND_FAT) << e.path;
    EXPECT_EQ(dosStamp(listed), e.modified) << e.path;
    EXPECT_GE(listed.id, FIRST_SCAN_ENTRY_ID) << e.path;
    if (e.folder) continue;
    ++deletedFiles;
    EXPECT_EQ(listed.size, e.size) << e.path;
    std::uint8_t expected = expectedChance(e, geometry, allocated, istat);
    EXPECT_EQ(listed.recoveryChance, expected) << e.path;
    levelsSeen.insert(expected);
  }
  EXPECT_EQ(levelsSeen, (std::set<std::uint8_t>{CHANCE_NOT_RECOVERABLE, CHANCE_POOR, CHANCE_PROBABLY_GOOD}))
      << "the image holds files of every level: wholly reused, partly overwritten and untouched";
  std::size_t listedDeletedFiles = 0;
  for (const auto& [path, entry] : entries_)
    if (entry->deleted && !entry->isFolder) ++listedDeletedFiles;
  EXPECT_EQ(listedDeletedFiles, deletedFiles) << "nothing is listed that fls does not find";
}

TEST_P(FatScanTest, ListsLiveFoldersButNoLiveFile) {
  std::size_t liveFolders = 0;
  for (const FlsEntry& e : fls_) {
    if (e.deleted) continue;
    std::u16string path = listedPath(e);
    if (e.folder) {
      ASSERT_TRUE(entries_.count(path)) << e.path;
      EXPECT_FALSE(entries_[path]->deleted) << e.path;
      ++liveFolders;
    } else {
      EXPECT_FALSE(entries_.count(path)) << "live file listed: " << e.path;
    }
  }
  EXPECT_GE(liveFolders, 4u);
  for (const auto& [path, entry] : entries_) EXPECT_TRUE(entry->isFolder || entry->deleted) << utf16ToUtf8(path);
}

TEST_P(FatScanTest, FlagsEveryFolderWithoutADeletedFileBeneathIt) {
  std::size_t flagged = 0, unflagged = 0;
  for (const auto& [path, entry] : entries_) {
    if (!entry->isFolder) continue;
    std::string prefix = utf16ToUtf8(path.substr(1)) + "\\";
    std::replace(prefix.begin(), prefix.end(), '\\', '/');
    bool holdsDeletedFile = std::any_of(fls_.begin(), fls_.end(), [&](const FlsEntry& e) {
      return e.deleted && !e.folder && e.path.compare(0, prefix.size(), prefix) == 0;
    });
    EXPECT_EQ(entry->noDeletedFiles, !holdsDeletedFile) << utf16ToUtf8(path);
    (entry->noDeletedFiles ? flagged : unflagged)++;
  }
  EXPECT_GT(flagged, 0u) << "Keep and the empty Chinese folder hold no deleted file";
  EXPECT_GT(unflagged, 0u);
  EXPECT_FALSE(list_->Lookup(ROOT_ENTRY_ID).noDeletedFiles);
}

TEST_P(FatScanTest, RatesFilesWhenChancesAreHiddenAndShowsNoText) {
  settings().ShowRecoveryChanses = false;
  CFileList hidden;
  ASSERT_TRUE(hidden.BuildFileList(u"C:", progress_, false, 0, 0));
  std::size_t files = 0;
  for (const auto& [path, entry] : entriesByPath(*hidden.GetDriveList(u"C:"))) {
    if (!entry->deleted || entry->isFolder) continue;
    ASSERT_TRUE(entries_.count(path)) << utf16ToUtf8(path);
    EXPECT_EQ(entry->recoveryChance, entries_[path]->recoveryChance) << utf16ToUtf8(path);
    WCHAR text[kRecoveryChanceTextUnits] = u"untouched";
    GetRecoveryChanceText(text, hidden.GetDriveList(u"C:")->Lookup(entry->id));
    EXPECT_EQ(text[0], 0) << utf16ToUtf8(path);
    ++files;
  }
  EXPECT_GT(files, 5u);
}

INSTANTIATE_TEST_SUITE_P(Volumes, FatScanTest, ::testing::Values("scan-fat12.img", "scan-fat16.img", "scan-fat32.img"),
                         [](const auto& param) {
                           std::string n = param.param;
                           return n.substr(5, n.find('.') - 5);
                         });

}  // namespace
}  // namespace tarvosk::test
