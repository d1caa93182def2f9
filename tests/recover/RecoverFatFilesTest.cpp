// Recovering deleted files, folders and recycle-bin files of FAT volumes made by mkfs.fat and
// mtools (tests/images/build-recover-fixtures.sh), compared with the originals byte for byte.
#include <gtest/gtest.h>

#include "fat/FatVolume.h"
#include "platform/Files.h"
#include "recover/RecoveryTest.h"

namespace tarvosk::test {
namespace {

constexpr char kNotRecoverable[] = "无法恢复该文件，因为它已损坏或不包含数据";

class RecoverFatFilesTest : public RecoveryTest {};

class RecoverEveryFatKindTest : public RecoverFatFilesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(RecoverEveryFatKindTest, DeletedContiguousFilesComeBackByteForByte) {
  DriveFileList& list = scan(GetParam());
  for (const char* name : {"one.bin", "r511.bin", "r512.bin", "r513.bin", "r5000.bin", "r10000.bin", "r70000.bin",
                           "hello.txt", "straddle.txt"}) {
    SCOPED_TRACE(name);
    FileEntry& gone = mustFind(list, name);
    ASSERT_TRUE(gone.deleted);
    EXPECT_EQ(gone.name.view()[0], u'?') << "an 8.3 entry loses its first letter";
    job.log.clear();
    EXPECT_TRUE(RecoverEntry(list, gone, nullptr, target(), job));
    EXPECT_EQ(job.log, u"File " + gone.name.str() + u": Succeeded\r\n");
    EXPECT_EQ(readWholeFile(outputOf(gone)), original(name));
  }
}

INSTANTIATE_TEST_SUITE_P(MadeByMkfsFatAndMtools, RecoverEveryFatKindTest,
                         ::testing::Values("recover-fat12.img", "recover-fat16.img", "recover-fat32.img"));

TEST_F(RecoverFatFilesTest, TenThousandBytesAreThreeClustersCutToSize) {
  DriveFileList& list = scan("recover-fat16.img");
  FileEntry& gone = mustFind(list, "r10000.bin");
  DWORD clusterSize = 0;
  ASSERT_EQ(FAT_GetClusterSize(gone.handle, &clusterSize), 0u);
  ASSERT_EQ(clusterSize, 4096u);
  job.batch = false;
  ASSERT_TRUE(RecoverEntry(list, gone, nullptr, target(), job));
  std::vector<std::uint8_t> bytes = readWholeFile(outputOf(gone));
  EXPECT_EQ(bytes.size(), 4096u + 4096u + 1808u);
  EXPECT_EQ(bytes, original("r10000.bin"));
  EXPECT_EQ(job.progress, 10000u);
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(RecoverFatFilesTest, MoreThanOneHundredThousandClustersAreRefusedAndLeaveNoFile) {
  DriveFileList& list = scan("recover-fat32.img");
  FileEntry& huge = mustFind(list, "huge.bin");
  ASSERT_EQ(huge.size, 100001u * 512u);
  job.batch = false;
  EXPECT_FALSE(RecoverEntry(list, huge, nullptr, target(), job));
  ASSERT_EQ(ui.countCalls("messageBox("), 1u);
  EXPECT_NE(ui.calls().back().find(kNotRecoverable), std::string::npos) << ui.calls().back();
  EXPECT_FALSE(std::filesystem::exists(outputOf(huge)));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 0);
}

TEST_F(RecoverFatFilesTest, AZeroByteFileIsNotRecoverableAndLeavesNoFile) {
  DriveFileList& list = scan("recover-fat16.img");
  FileEntry& empty = mustFind(list, "empty.txt");
  ASSERT_EQ(empty.size, 0u);
  EXPECT_FALSE(RecoverEntry(list, empty, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File " + empty.name.str() + u": 失败于错误 \"" + utf8ToUtf16(kNotRecoverable) + u"\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(outputOf(empty)));
  job.batch = false;
  EXPECT_FALSE(RecoverEntry(list, empty, nullptr, target(), job));
  EXPECT_EQ(ui.countCalls("messageBox(\"" + std::string(kNotRecoverable)), 1u) << "single-file mode: a message box";
}

TEST_F(RecoverFatFilesTest, ARecycleBinEntryIsCopiedFromItsKeptFile) {
  DriveFileList& list = scan("recover-fat16.img");
  FileEntry& kept = mustFind(list, "recycled.txt");
  ASSERT_EQ(kept.kind, ENTRY_KIND_RECYCLE_BIN);
  EXPECT_TRUE(RecoverEntry(list, kept, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File recycled.txt: Succeeded\r\n");
  EXPECT_EQ(readWholeFile(outputOf(kept)), original("recycled.txt"));
  EXPECT_EQ(job.progress, kept.size);

  // Again onto the copy: "no" keeps it and logs the failure, "yes" copies it again.
  writeWholeFile(outputOf(kept), {'o', 'l', 'd'});
  job.log.clear();
  ui.queueOverwriteAnswer(OverwriteAnswer::No);
  EXPECT_TRUE(RecoverEntry(list, kept, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File recycled.txt: Failed\r\n");
  EXPECT_EQ(readWholeFile(outputOf(kept)).size(), 3u);
  job.log.clear();
  ui.queueOverwriteAnswer(OverwriteAnswer::Yes);
  EXPECT_TRUE(RecoverEntry(list, kept, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File recycled.txt: Succeeded\r\n");
  EXPECT_EQ(readWholeFile(outputOf(kept)), original("recycled.txt"));
  EXPECT_EQ(ui.countCalls("messageBox("), 0u) << "recycle-bin entries report in the log only";
}

TEST_F(RecoverFatFilesTest, AFolderComesBackWithTheDeletedFilesOfItsFolders) {
  DriveFileList& list = scan("recover-fat16.img");
  FileEntry& keep = mustFind(list, "KEEP");
  FileEntry& inner = mustFind(list, "KEEP/inner.bin");
  FileEntry& deep = mustFind(list, "KEEP/SUB/deep.txt");
  EXPECT_TRUE(RecoverEntry(list, keep, nullptr, target(), job)) << utf16ToUtf8(job.log);
  EXPECT_EQ(readWholeFile((out.path() / "KEEP" / utf16ToUtf8(safeOutputName(inner.name.str()).name)).string()),
            original("r5000.bin"));
  EXPECT_EQ(readWholeFile((out.path() / "KEEP" / "SUB" / utf16ToUtf8(safeOutputName(deep.name.str()).name)).string()),
            original("hello.txt"));
  EXPECT_FALSE(std::filesystem::exists(out.path() / "KEEP" / "LIVE.TXT")) << "live files are not recovered";
  EXPECT_EQ(job.log, u"File " + deep.name.str() + u": Succeeded\r\nFile " + inner.name.str() + u": Succeeded\r\n")
      << "children in their listed order: SUB came first";
}

TEST_F(RecoverFatFilesTest, ACancelInsideALargeFileDeletesItAndKeepsTheFilesBefore) {
  DriveFileList& list = scan("recover-fat16.img");
  FileEntry& small = mustFind(list, "hello.txt");
  FileEntry& large = mustFind(list, "r70000.bin");  // 18 clusters: polls after clusters 1 and 11
  progress.cancelAfterPumps(3);
  EXPECT_TRUE(RecoverEntry(list, small, nullptr, target(), job));
  EXPECT_TRUE(RecoverEntry(list, large, nullptr, target(), job));
  EXPECT_EQ(readWholeFile(outputOf(small)), original("hello.txt"));
  EXPECT_FALSE(std::filesystem::exists(outputOf(large)));
  EXPECT_EQ(job.log, u"File " + small.name.str() + u": Succeeded\r\nFile " + large.name.str() + u": Cancelled\r\n");
  EXPECT_GT(job.progress, small.size + 4096u) << "the cancel came inside the large file";
}

}  // namespace
}  // namespace tarvosk::test
