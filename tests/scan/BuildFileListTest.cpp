// Whole scans of volumes and disks made by real tools.
#include <gtest/gtest.h>

#include <cstring>
#include <map>

#include "platform/CodePage.h"
#include "fat/FatVolume.h"
#include "ntfs/Attribute.h"
#include "ntfs/NtfsLayout.h"
#include "platform/ByteOrder.h"
#include "scan/FileList.h"
#include "scan/RecoveryChance.h"
#include "support/AttachedImages.h"
#include "support/FakeUi.h"
#include "support/TestSupport.h"
#include "ScanListing.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {
namespace {

class BuildFileListTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    registerFileSystemProviders();
  }

  // ntfs.img's bytes with the $MFT record's $DATA attribute found, for patching.
  void loadNtfsImage() {
    image = readWholeFile(fixturePath("ntfs.img"));
    const ByteSpan boot(image.data(), 512);
    mftCluster = le64(boot, 48);
    const std::size_t record0 = static_cast<std::size_t>(mftCluster * le16(boot, 11) * le8(boot, 13));
    ASSERT_EQ(FindAttribute(ByteSpan(image).subspan(record0, 1024), ntfs::_AH_TYPE_DA, &mftData), 0u);
    mftAttribute = image.data() + (mftData.data() - image.data());
  }

  // Scans ntfs.img as C: and the patched copy as D:.
  void scanOriginalAndPatchedCopy(FakeProgress& copyProgress) {
    std::string copy = work.file("patched.img");
    writeWholeFile(copy, image);
    attachFixture("ntfs.img");
    ASSERT_TRUE(attachImage(copy));
    ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
    ASSERT_TRUE(lists.BuildFileList(u"D:", copyProgress, false, 0, 0));
    original = entriesByPath(*lists.GetDriveList(u"C:"));
    patched = entriesByPath(*lists.GetDriveList(u"D:"));
    ASSERT_FALSE(original.empty());
  }

  CFileList lists;
  FakeUi ui;
  FakeProgress progress;
  ScratchDir work;
  std::vector<std::uint8_t> image;
  std::uint64_t mftCluster = 0;
  ByteSpan mftData;
  std::uint8_t* mftAttribute = nullptr;
  std::map<std::u16string, const FileEntry*> original, patched;
};

TEST_F(BuildFileListTest, ABasicFatScanListsFoldersAndDeletedFiles) {
  attachFixture("fat32.img");
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0)) << ui.calls().size();
  DriveFileList* list = lists.GetDriveList(u"C:");
  ASSERT_NE(list, nullptr);
  auto entries = entriesByPath(*list);
  ASSERT_TRUE(entries.count(u"\\DOCS"));
  EXPECT_FALSE(entries.count(u"\\DATA.BIN")) << "live files are not listed";
  ASSERT_TRUE(entries.count(u"\\?ONE.BIN"));
  EXPECT_EQ(entries[u"\\?ONE.BIN"]->size, 70000u);
  EXPECT_EQ(entries[u"\\?ONE.BIN"]->recoveryChance, CHANCE_PROBABLY_GOOD);
}

TEST_F(BuildFileListTest, ABasicNtfsScanListsFoldersAndDeletedFilesAndRatesSmallOnes) {
  attachFixture("ntfs-files.img");
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0)) << ui.calls().size();
  DriveFileList* list = lists.GetDriveList(u"C:");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Lookup(ROOT_ENTRY_ID).name, u".");
  auto entries = entriesByPath(*list);
  EXPECT_TRUE(entries.count(u"\\$Extend")) << "live folders are listed";
  ASSERT_TRUE(entries.count(u"\\gonedir\\inner\\a.txt"));
  const FileEntry* a = entries[u"\\gonedir\\inner\\a.txt"];
  EXPECT_TRUE(a->deleted);
  EXPECT_EQ(a->kind, ENTRY_KIND_NTFS);
  EXPECT_TRUE(entries[u"\\gonedir"]->deleted && entries[u"\\gonedir"]->isFolder);
  EXPECT_FALSE(list->Lookup(ROOT_ENTRY_ID).noDeletedFiles);
  EXPECT_EQ(a->recoveryChance, CHANCE_PROBABLY_GOOD) << "a small file's data is resident: rated by the scan";
  WCHAR text[kRecoveryChanceTextUnits];
  GetRecoveryChanceText(text, list->Lookup(a->id));
  EXPECT_EQ(std::u16string(text), u"可能较好");
}

TEST_F(BuildFileListTest, FailuresAreShownWithTheSystemsTexts) {
  attachFixture("unformatted.img");
  attachFixture("oddtype.img");
  attachFixture("ntfstyped.img");
  EXPECT_FALSE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  EXPECT_FALSE(lists.BuildFileList(u"D:", progress, false, 0, 0));
  EXPECT_FALSE(lists.BuildFileList(u"E:", progress, false, 0, 0));
  ASSERT_EQ(ui.countCalls("messageBox"), 3u);
  EXPECT_NE(ui.calls()[0].find("无法打开驱动器 C:\\n此卷不包含可识别的文件系统"), std::string::npos) << ui.calls()[0];
  EXPECT_NE(ui.calls()[1].find("无法打开驱动器 D:\\n分区类型无法识别"), std::string::npos) << ui.calls()[1];
  EXPECT_NE(ui.calls()[2].find("打开驱动器 E: 错误。请确定您拥有管理员权限。"), std::string::npos) << ui.calls()[2];
  EXPECT_NE(ui.calls()[2].find("0x30"), std::string::npos) << "with the exclamation icon";
  EXPECT_EQ(lists.GetDriveList(u"C:"), nullptr);
}

TEST_F(BuildFileListTest, ACancelledNtfsScanKeepsWhatItFoundAndRunsThePassesAfter) {
  attachFixture("ntfs-files.img");
  progress.cancelAfterPumps(2);
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  DriveFileList* list = lists.GetDriveList(u"C:");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Lookup(ROOT_ENTRY_ID).name, u".") << "records before the cancel are listed";
  EXPECT_FALSE(list->Lookup(ROOT_ENTRY_ID).children.empty()) << "the orphan pass attached them";
}

TEST_F(BuildFileListTest, AnMftDataSizeBeyondItsRunsEndsTheScanWithTheLastRecordTheRunsHold) {
  // A copy of an mkntfs-made volume whose $MFT claims 2^50 bytes of data in 19 clusters of
  // runs: the scan used to try every one of the trillion records the size promised.
  ASSERT_NO_FATAL_FAILURE(loadNtfsImage());
  putLe64(mftAttribute + ntfs::kAttrDataSize, std::uint64_t{1} << 50);
  FakeProgress hugeProgress;
  ASSERT_NO_FATAL_FAILURE(scanOriginalAndPatchedCopy(hugeProgress));
  std::vector<std::u16string> originalPaths, hugePaths;
  for (const auto& [path, entry] : original) originalPaths.push_back(path);
  for (const auto& [path, entry] : patched) hugePaths.push_back(path);
  EXPECT_EQ(hugePaths, originalPaths) << "every record the runs hold is still listed";
  EXPECT_EQ(hugeProgress.pumps(), progress.pumps()) << "and no record beyond them is tried";
}

TEST_F(BuildFileListTest, MftRunsLongerThanTheVolumeEndTheScanAtTheVolumesEnd) {
  // A copy of an mkntfs-made volume whose $MFT run claims 2^38 clusters (a trillion records)
  // on a volume of a few thousand: the records the volume cannot hold are never tried, so the
  // scan ends, and every file of the sound volume is still listed.
  ASSERT_NO_FATAL_FAILURE(loadNtfsImage());
  ASSERT_EQ(le32(mftData, 4), 72u) << "the run list has eight bytes of room";
  ASSERT_LT(mftCluster, 128u) << "its start fits one signed byte";
  const std::uint8_t runs[8] = {0x15, 0, 0, 0, 0, 0x40, static_cast<std::uint8_t>(mftCluster), 0};
  std::memcpy(mftAttribute + le16(mftData, 32), runs, sizeof runs);
  putLe64(mftAttribute + ntfs::kAttrDataSize, std::uint64_t{1} << 50);
  FakeProgress longRunProgress;
  ASSERT_NO_FATAL_FAILURE(scanOriginalAndPatchedCopy(longRunProgress));
  for (const auto& [path, entry] : original) EXPECT_TRUE(patched.contains(path)) << utf16ToUtf8(path);
}

TEST_F(BuildFileListTest, TwoHundredScansOfOneDriveAllSucceed) {
  attachFixture("fat32.img");
  attachFixture("ntfs.img");
  for (int i = 0; i < 200; ++i) {
    ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0)) << "FAT scan " << i;
    ASSERT_TRUE(lists.BuildFileList(u"D:", progress, false, 0, 0)) << "NTFS scan " << i;
  }
  DWORD handle = lists.GetDriveList(u"C:")->Lookup(ROOT_ENTRY_ID).handle;
  EXPECT_NE(FAT_GetVolumeEntry(handle), nullptr);
  lists.RemoveDriveList(u"C:");
  EXPECT_EQ(FAT_GetVolumeEntry(handle), nullptr) << "the handle is released with the last list";
}

}  // namespace
}  // namespace tarvosk::test
