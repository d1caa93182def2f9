// The units the cluster viewer lists for each kind of entry, their in-use marks, and the bytes it
// shows of the last one, on volumes made by mtools and ntfs-3g.
#include "platform/CodePage.h"
#include "recover/ScannedImageTest.h"
#include "res/StringIds.h"
#include "res/StringTable.h"
#include "viewers/UnitList.h"

namespace tarvosk::test {
namespace {

class ViewerUnitsTest : public ScannedImageTest {
 protected:
  static std::vector<std::uint8_t> previewFile(const std::string& name) {
    return readWholeFile(fixturePath("preview-files/" + name));
  }
  static std::vector<std::uint8_t> tail(const std::vector<std::uint8_t>& bytes, std::size_t from) {
    return {bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end()};
  }
  static std::vector<std::uint8_t> lastUnit(const FileEntry& entry, const FileUnits& units) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(readFileUnit(entry, units, units.units.size() - 1, bytes));
    return bytes;
  }
};

TEST_F(ViewerUnitsTest, AFatFileListsItsConsecutiveClustersAndOneTakenByANewerFileIsInUse) {
  DriveFileList& list = scan("preview-fat.img");
  FileEntry& tenk = mustFind(list, "TENK.BIN");
  FileUnits units = listFileUnits(tenk);
  ASSERT_EQ(units.units.size(), 3u);
  EXPECT_EQ(units.unitSize, 4096u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(units.units[i].number, 100 + i);
    EXPECT_TRUE(units.units[i].free);
  }
  EXPECT_EQ(lastUnit(tenk, units), tail(previewFile("tenk.bin"), 8192)) << "1808 bytes of cluster 102";

  FileEntry& reused = mustFind(list, "REUSED.BIN");
  units = listFileUnits(reused);
  ASSERT_EQ(units.units.size(), 3u);
  EXPECT_EQ(units.units[0].number, 103u);
  EXPECT_FALSE(units.units[0].free) << "taken cluster.txt lives there now";
  EXPECT_TRUE(units.units[1].free && units.units[2].free);
  EXPECT_TRUE(ui.calls().empty());
}

TEST_F(ViewerUnitsTest, NtfsFilesListTheirRunsClustersButNotSparseOnesAndResidentDataHasNoUnits) {
  DriveFileList& list = scan("recover-ntfs.img");
  FileUnits resident = listFileUnits(mustFind(list, "resident.bin"));
  EXPECT_TRUE(resident.units.empty());
  EXPECT_EQ(resident.resident, original("resident.bin"));

  FileEntry& sparse = mustFind(list, "sparse.bin");
  FileUnits units = listFileUnits(sparse);
  ASSERT_EQ(units.units.size(), 2u) << "only the 8192 bytes written; the sparse runs hold no clusters";
  EXPECT_EQ(units.units[1].number, units.units[0].number + 1);
  std::vector<std::uint8_t> bytes;
  ASSERT_TRUE(readFileUnit(sparse, units, 0, bytes));
  std::vector<std::uint8_t> whole = original("sparse.bin");
  EXPECT_EQ(bytes, std::vector<std::uint8_t>(whole.begin() + 128 * 4096, whole.begin() + 129 * 4096));
  EXPECT_TRUE(ui.calls().empty());

  units = listFileUnits(mustFind(list, "comp/text.txt"));
  EXPECT_FALSE(units.units.empty()) << "the stored, compressed clusters";
  ASSERT_EQ(ui.calls().size(), 1u);
  EXPECT_EQ(ui.calls().front(), "messageBox(\"" + utf16ToUtf8(std::u16string(loadString(res::IDS_VIEWER_FILE_COMPRESSED))) +
                                    "\", \"Tarvosk\", 0x40)");
}

TEST_F(ViewerUnitsTest, ARecycleBinFileIsShownIn4096ByteBlocks) {
  DriveFileList& list = scan("scan-recycle-fat.img");
  FileEntry& top = mustFind(list, "top.bin");
  ASSERT_EQ(top.size, 5000u);
  FileUnits units = listFileUnits(top);
  ASSERT_EQ(units.units.size(), 2u);
  EXPECT_EQ(units.units[0].number, 0u);
  EXPECT_EQ(units.units[1].number, 1u);
  EXPECT_EQ(lastUnit(top, units).size(), 904u);
}

}  // namespace
}  // namespace tarvosk::test
