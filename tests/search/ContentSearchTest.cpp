// Content searches over the scans of volumes made by real tools: FAT by mkfs.fat and mtools,
// NTFS by mkntfs and ntfs-3g (tests/images/build-recover-fixtures.sh).
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/CodePage.h"
#include "recover/ScannedImageTest.h"
#include "search/SearchEngine.h"

namespace tarvosk::test {
namespace {

class ContentSearchTest : public ScannedImageTest {
 protected:
  // The ids of the files below the root of list that match pattern and hold text.
  std::vector<std::uint64_t> search(DriveFileList& list, const std::u16string& pattern, const std::u16string& text,
                                    bool hex = false, bool matchCase = false) {
    SearchCriteria criteria;
    criteria.contentText = text;
    criteria.hex = hex;
    criteria.matchCase = matchCase;
    std::unique_ptr<DriveFileList> results = RunSearch(list, ROOT_ENTRY_ID, pattern, criteria, progress);
    const ChildIds& found = results->Lookup(ROOT_ENTRY_ID).children;
    return {found.begin(), found.end()};
  }
  static bool holds(const std::vector<std::uint64_t>& ids, const FileEntry& entry) {
    return std::find(ids.begin(), ids.end(), entry.id) != ids.end();
  }
};

TEST_F(ContentSearchTest, TextMatchesWithoutRegardToCaseUnlessCaseMustMatch) {
  for (const char* image : {"recover-fat16.img", "recover-ntfs.img"}) {
    SCOPED_TRACE(image);
    DriveFileList& list = scan(image);
    const FileEntry& hello = mustFind(list, "hello.txt");  // "Say HELLO to the search"
    EXPECT_TRUE(holds(search(list, u"*", u"hello"), hello));
    EXPECT_FALSE(holds(search(list, u"*", u"hello", false, true), hello));
    EXPECT_TRUE(holds(search(list, u"*", u"HELLO", false, true), hello));
    EXPECT_FALSE(holds(search(list, u"*", u"goodbye"), hello));
  }
}

TEST_F(ContentSearchTest, HexDigitsAreReadTwoAtATime) {
  DriveFileList& list = scan("recover-fat16.img");
  const FileEntry& mz = mustFind(list, "mz.hex");  // "MZ header ..."
  const FileEntry& d5 = mustFind(list, "d5.hex");  // "M\x05 is not ..."
  EXPECT_EQ(search(list, u"*.hex", u"4D5A", true), std::vector<std::uint64_t>{mz.id});
  EXPECT_EQ(search(list, u"*.hex", u"4D5", true), std::vector<std::uint64_t>{d5.id});
}

TEST_F(ContentSearchTest, ATextAcrossTheSecondAndThirdClustersOfAFatFileIsFound) {
  DriveFileList& list = scan("recover-fat16.img");
  const FileEntry& straddle = mustFind(list, "straddle.txt");  // the mark at bytes 8186 to 8198
  EXPECT_EQ(search(list, u"*", u"STRADDLE-MARK", false, true), std::vector<std::uint64_t>{straddle.id});
}

TEST_F(ContentSearchTest, ACompressedNtfsFileIsNotSearchedButASparseOneIs) {
  DriveFileList& list = scan("recover-ntfs.img");
  // text.txt and mixed.bin (compressed) and uncompressed.txt all hold the mark.
  EXPECT_EQ(search(list, u"*", u"COMPRESSED-MARK"), std::vector<std::uint64_t>{mustFind(list, "uncompressed.txt").id});
  // ntfs-3g gives sparse files a compression unit too: that alone does not make them compressed.
  EXPECT_EQ(search(list, u"*", u"SPARSE-MARK"), std::vector<std::uint64_t>{mustFind(list, "sparse.txt").id});
}

TEST_F(ContentSearchTest, ARecycleBinEntryIsSearchedThroughItsKeptFile) {
  DriveFileList& list = scan("recover-fat16.img");
  const FileEntry& kept = mustFind(list, "recycled.txt");
  ASSERT_EQ(kept.kind, ENTRY_KIND_RECYCLE_BIN);
  EXPECT_EQ(search(list, u"*", u"from the RECYCLE bin"), std::vector<std::uint64_t>{kept.id});
}

TEST_F(ContentSearchTest, CarvedFilesAreSearchedThroughTheirOwnUnits) {
  attachFixture("recover-fat16.img");  // C: and physical drive 0
  attachFixture("recover-ntfs.img");   // D:
  struct Carving {
    std::u16string drive;
    std::u16string text;     // what the deleted file, carved as text, holds
    std::uint64_t size;      // its size
    std::uint8_t kind;       // read as
  };
  // straddle.txt on FAT (by clusters, then by sectors of the drive); uncompressed.txt on NTFS.
  for (const Carving& c : {Carving{u"C:", u"STRADDLE-MARK", 12199, ENTRY_KIND_FAT},
                           Carving{drivePathOfPhysicalDrive(0), u"STRADDLE-MARK", 12199, ENTRY_KIND_RAW_DEVICE},
                           Carving{u"D:", u"COMPRESSED-MARK", 5000, ENTRY_KIND_NTFS}}) {
    SCOPED_TRACE(utf16ToUtf8(c.drive));
    ASSERT_TRUE(lists.BuildFileList(c.drive, progress, true, 0, 0));
    DriveFileList& carved = *lists.GetDriveList(c.drive);
    std::vector<std::uint64_t> found = search(carved, u"*.txt", c.text, false, true);
    ASSERT_EQ(found.size(), 1u);
    const FileEntry& match = carved.Lookup(found[0]);
    EXPECT_EQ(match.kind, c.kind);
    EXPECT_EQ(match.size, c.size);
    EXPECT_NE(match.startPosition, 0u);
    EXPECT_TRUE(search(carved, u"*.txt", u"NOT-ON-THE-VOLUME").empty());
  }
}

}  // namespace
}  // namespace tarvosk::test
