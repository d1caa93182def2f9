// The recycle bin listing of basic scans: INFO2 files and the files they keep, put into recycle
// folders of FAT and NTFS volumes by mcopy and through the ntfs-3g mount, checked against the
// kept files as sleuthkit lists them on the same images.
#include <gtest/gtest.h>

#include <set>

#include "platform/CodePage.h"
#include "OracleScanTest.h"

namespace tarvosk::test {
namespace {

struct KeptItem {
  const char16_t* listedAs;  // where the scan lists the deleted item
  const char* keptAt;        // the kept item on the volume, as fls prints its path
};

// The records whose kept item and former folder exist. The INFO2 files also hold records
// whose kept file is missing, whose folder is not on the volume, of an unknown record size and
// in a recycle folder whose name begins with a dot: none of those may show.
const KeptItem kListed[] = {
    {u"\\Docs\\letter.txt", "Recycled/Dc1.txt"},
    {u"\\Docs\\报告.doc", "Recycled/Dc2.doc"},
    {u"\\Docs\\Album", "Recycled/Dc3"},
    {u"\\Docs\\Album\\one.jpg", "Recycled/Dc3/one.jpg"},
    {u"\\Docs\\Album\\inner", "Recycled/Dc3/inner"},
    {u"\\Docs\\Album\\inner\\two.jpg", "Recycled/Dc3/inner/two.jpg"},
    {u"\\top.bin", "Recycled/Dc6.bin"},
    {u"\\Docs\\照片 2024.jpg", "Recycler/S-1-5-21-7/Dc7.jpg"},
    {u"\\Docs\\Sub\\notes.txt", "Recycler/S-1-5-21-7/Dc8.txt"},
};

class RecycleBinImageTest : public OracleScanTest, public ::testing::WithParamInterface<const char*> {
 protected:
  const FlsEntry& kept(const std::string& path) {
    const FlsEntry& e = flsEntry(path);
    if (e.deleted) throw std::runtime_error(path + " is deleted on the volume");
    return e;
  }
  static std::set<std::uint64_t> recycleIds(DriveFileList& list) {
    std::set<std::uint64_t> ids;
    for (FileEntry& entry : list)
      if (entry.kind == ENTRY_KIND_RECYCLE_BIN) ids.insert(entry.id);
    return ids;
  }
};

TEST_P(RecycleBinImageTest, ListsKeptItemsUnderTheirFormerFoldersAsExcellent) {
  scanFixture(GetParam());
  DriveFileList& list = *list_;
  auto& entries = entries_;
  for (const KeptItem& item : kListed) {
    std::string where = utf16ToUtf8(item.listedAs);
    ASSERT_TRUE(entries.count(item.listedAs)) << where;
    const FileEntry& e = *entries[item.listedAs];
    const FlsEntry& onDisk = kept(item.keptAt);
    EXPECT_EQ(e.kind, ENTRY_KIND_RECYCLE_BIN) << where;
    EXPECT_EQ(e.recoveryChance, CHANCE_EXCELLENT) << where;
    EXPECT_TRUE(e.deleted) << where;
    EXPECT_EQ(e.isFolder, onDisk.folder) << where;
    EXPECT_EQ(e.size, onDisk.folder ? 0 : onDisk.size) << where;
    EXPECT_EQ(e.handle, 0u) << where;
    EXPECT_EQ(e.startPosition, 0u) << where;
    EXPECT_NE(e.dosDate, 0) << where;
    std::string keptPath = "C:/" + std::string(item.keptAt);
    std::replace(keptPath.begin(), keptPath.end(), '/', '\\');
    EXPECT_EQ(utf16ToUtf8(e.recycleBinPath), keptPath) << where;
    EXPECT_TRUE(list.Lookup(e.parentId).hasSubfolders) << where;
  }
  EXPECT_FALSE(entries.count(u"\\Docs\\Album\\.hidden")) << "names beginning with a dot are passed over";
  std::set<std::uint64_t> expected;
  for (std::uint64_t i = 0; i < std::size(kListed); ++i) expected.insert(FIRST_RECYCLE_BIN_ENTRY_ID + i);
  EXPECT_EQ(recycleIds(list), expected) << "one id each from 0xFFFFFFFF00000000, and nothing from the other records";
  EXPECT_FALSE(entries.at(u"\\Docs")->noDeletedFiles);
}

TEST_P(RecycleBinImageTest, NothingIsListedWhenTheRecycleBinIsNotScanned) {
  settings().ScanRecycleBin = false;
  scanFixture(GetParam());
  EXPECT_TRUE(recycleIds(*list_).empty());
}

INSTANTIATE_TEST_SUITE_P(Volumes, RecycleBinImageTest,
                         ::testing::Values("scan-recycle-fat.img", "scan-recycle-ntfs.img"), [](const auto& param) {
                           std::string n = param.param;
                           return n.substr(13, n.find('.') - 13);
                         });

// A cancel at a progress point of the FAT walk keeps what was found and still lists the recycle
// bin and computes the flags.
using CancelledFatScan = OracleScanTest;

TEST_F(CancelledFatScan, KeepsThePartialListAndRunsThePassesAfterTheWalk) {
  progress_.cancelAfterPumps(0);
  scanFixture("scan-recycle-fat.img");
  std::size_t massOnDisk = 0;
  for (const FlsEntry& e : fls_)
    if (e.deleted && e.path.rfind("Mass/", 0) == 0) ++massOnDisk;
  ASSERT_TRUE(entries_.count(u"\\Mass"));
  std::size_t massListed = entries_.at(u"\\Mass")->children.size();
  EXPECT_GT(massListed, 0u);
  EXPECT_LT(massListed, massOnDisk) << "the walk stopped at its first progress point";
  EXPECT_EQ(progress_.pumps(), 1);
  EXPECT_TRUE(entries_.count(u"\\Docs\\letter.txt")) << "the recycle bin is listed after a cancel";
  EXPECT_FALSE(list_->Lookup(ROOT_ENTRY_ID).noDeletedFiles) << "the flags are computed after a cancel";
}

}  // namespace
}  // namespace tarvosk::test
