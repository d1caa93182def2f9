// Recovering deleted files and folders of an NTFS volume made by mkntfs and filled through
// ntfs-3g (tests/images/build-recover-fixtures.sh): resident, non-resident, fragmented, sparse
// and compressed data, compared with the originals byte for byte.
#include <gtest/gtest.h>

#include "platform/Files.h"
#include "recover/RecoveryTest.h"
#include "viewers/UnitList.h"

namespace tarvosk::test {
namespace {

class RecoverNtfsFilesTest : public RecoveryTest {};

TEST_F(RecoverNtfsFilesTest, EveryKindOfDeletedFileComesBackByteForByte) {
  DriveFileList& list = scan("recover-ntfs.img");
  // path on the volume -> original
  const std::pair<const char*, const char*> files[] = {
      {"resident.bin", "resident.bin"}, {"five.bin", "five.bin"},          {"plain.bin", "plain.bin"},
      {"frag.bin", "frag.bin"},         {"sparse.bin", "sparse.bin"},      {"sparse.txt", "sparse.txt"},
      {"comp/text.txt", "text.txt"},
      {"comp/random.bin", "random.bin"}, {"comp/mixed.bin", "mixed.bin"}};
  for (const auto& [path, name] : files) {
    SCOPED_TRACE(path);
    FileEntry& gone = mustFind(list, path);
    ASSERT_TRUE(gone.deleted);
    job.log.clear();
    EXPECT_TRUE(RecoverEntry(list, gone, nullptr, target(), job));
    EXPECT_EQ(job.log, u"File " + gone.name.str() + u": Succeeded\r\n");
    EXPECT_EQ(readWholeFile(outputOf(gone)), original(name));
  }
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(RecoverNtfsFilesTest, FiveThousandBytesAreCutToSizeUnlessAClusterSelectionIsInForce) {
  DriveFileList& list = scan("recover-ntfs.img");
  FileEntry& five = mustFind(list, "five.bin");
  job.batch = false;
  ASSERT_TRUE(RecoverEntry(list, five, nullptr, target(), job));
  EXPECT_EQ(readWholeFile(outputOf(five)), original("five.bin")) << "two clusters written, cut to 5000";

  FileUnits units = listFileUnits(five);
  ASSERT_EQ(units.unitSize, 4096u);
  ASSERT_EQ(units.units.size(), 2u);
  std::vector<std::uint64_t> firstCluster{units.units[0].number};
  ScratchDir second;
  job.log.clear();
  ASSERT_TRUE(RecoverEntry(list, five, &firstCluster, utf8ToUtf16(second.path().string()), job));
  EXPECT_EQ(job.log, u"File five.bin: Succeeded\r\n") << "the skipped cluster counts for the check";
  std::vector<std::uint8_t> head = original("five.bin");
  head.resize(4096);
  EXPECT_EQ(readWholeFile(second.file("five.bin")), head) << "one cluster written and not cut";
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(RecoverNtfsFilesTest, ANameWithAControlCharacterLandsInsideTheTargetFolder) {
  DriveFileList& list = scan("recover-ntfs.img");
  FileEntry& odd = mustFind(list, "ctl\001name.txt");
  EXPECT_TRUE(RecoverEntry(list, odd, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File ctl\001name.txt (saved as ctl_name.txt): Succeeded\r\n");
  EXPECT_EQ(readWholeFile(out.file("ctl_name.txt")), original("control.txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out.path()), {}), 1);
}

TEST_F(RecoverNtfsFilesTest, ADeletedFolderComesBackIntoAnExistingFolderOfItsName) {
  DriveFileList& list = scan("recover-ntfs.img");
  std::filesystem::create_directory(out.path() / "gonedir");
  writeWholeFile((out.path() / "gonedir" / "mine.txt").string(), {'m', 'i', 'n', 'e'});
  EXPECT_TRUE(RecoverEntry(list, mustFind(list, "gonedir"), nullptr, target(), job)) << utf16ToUtf8(job.log);
  EXPECT_EQ(readWholeFile((out.path() / "gonedir" / "inner" / "a.txt").string()), original("hello.txt"));
  EXPECT_EQ(readWholeFile((out.path() / "gonedir" / "b.bin").string()), original("r5000.bin"));
  EXPECT_EQ(readWholeFile((out.path() / "gonedir" / "mine.txt").string()).size(), 4u) << "what was there stays";
  EXPECT_NE(job.log.find(u"File a.txt: Succeeded\r\n"), std::u16string::npos);
  EXPECT_NE(job.log.find(u"File b.bin: Succeeded\r\n"), std::u16string::npos);
}

TEST_F(RecoverNtfsFilesTest, TheOverwritePromptKeepsOrReplacesFilesAsTheUserSays) {
  DriveFileList& list = scan("recover-ntfs.img");
  FileEntry& folder = mustFind(list, "gonedir");
  ASSERT_TRUE(RecoverEntry(list, folder, nullptr, target(), job));
  const std::string a = (out.path() / "gonedir" / "inner" / "a.txt").string();
  const std::string b = (out.path() / "gonedir" / "b.bin").string();
  auto newJob = [&] {
    job = RecoveryJob{};
    job.window = &progress;
  };
  auto spoil = [&] {
    writeWholeFile(a, {'o', 'l', 'd'});
    writeWholeFile(b, {'o', 'l', 'd'});
  };

  // No, twice: both old files stay, each logs "Failed", and the job still succeeds.
  spoil();
  ui.clearCalls();
  newJob();
  ui.queueOverwriteAnswer(OverwriteAnswer::No);
  ui.queueOverwriteAnswer(OverwriteAnswer::No);
  EXPECT_TRUE(RecoverEntry(list, folder, nullptr, target(), job));
  EXPECT_EQ(readWholeFile(a).size(), 3u);
  EXPECT_EQ(readWholeFile(b).size(), 3u);
  EXPECT_EQ(job.log.size(), std::u16string(u"File a.txt: Failed\r\nFile b.bin: Failed\r\n").size());
  EXPECT_NE(job.log.find(u"File a.txt: Failed\r\n"), std::u16string::npos);
  EXPECT_NE(job.log.find(u"File b.bin: Failed\r\n"), std::u16string::npos);
  EXPECT_EQ(ui.countCalls("askOverwrite(\"文件“a.txt”已经存在。是否覆盖？\")"), 1u);

  // Yes to all at the first prompt: every later file of the job is replaced without asking.
  ui.clearCalls();
  newJob();
  ui.queueOverwriteAnswer(OverwriteAnswer::YesToAll);
  EXPECT_TRUE(RecoverEntry(list, folder, nullptr, target(), job));
  EXPECT_EQ(ui.countCalls("askOverwrite("), 1u);
  EXPECT_TRUE(job.yesToAll);
  EXPECT_EQ(readWholeFile(a), original("hello.txt"));
  EXPECT_EQ(readWholeFile(b), original("r5000.bin"));
  EXPECT_EQ(job.log.find(u"Failed"), std::u16string::npos) << utf16ToUtf8(job.log);
}

// A cancel inside a file's data: polled once per cluster of a run list and once per compression
// unit, with the progress made so far shown; the partial output goes and the log line is ended.
TEST_F(RecoverNtfsFilesTest, ACancelInsideAFileDeletesThePartialFile) {
  DriveFileList& list = scan("recover-ntfs.img");
  const std::pair<const char*, std::uint64_t> cases[] = {{"plain.bin", 64 * 4096}, {"comp/text.txt", 65536}};
  for (const auto& [path, doneAtCancel] : cases) {
    SCOPED_TRACE(path);
    FileEntry& file = mustFind(list, path);
    job = RecoveryJob{};
    job.window = &progress;
    progress.setCancelled(false);
    progress.cancelAfterPumps(1);
    EXPECT_TRUE(RecoverEntry(list, file, nullptr, target(), job));
    EXPECT_FALSE(std::filesystem::exists(outputOf(file)));
    EXPECT_EQ(job.log, u"File " + file.name.str() + u": Cancelled\r\n");
    EXPECT_TRUE(job.interrupted);
    EXPECT_EQ(job.progress, doneAtCancel);
  }
}

// Read failures through the attached image's bad sectors: the partial file goes in every case.
TEST_F(RecoverNtfsFilesTest, AReadFailureInsideACompressedUnitEndsIn145AndLeavesNoFile) {
  std::uint64_t sector = firstSectorOf("recover-ntfs.img", "comp/text.txt");
  DriveFileList& list = scan("recover-ntfs.img", AttachOptions{.removable = false, .badSectors = {{sector + 8, 1}}});
  FileEntry& text = mustFind(list, "comp/text.txt");
  EXPECT_FALSE(RecoverEntry(list, text, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File text.txt: 失败于错误 \"写入数据时发生错误\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(outputOf(text)));
}

TEST_F(RecoverNtfsFilesTest, AReadFailureInAFragmentedRunListEndsIn148AndLeavesNoFile) {
  std::uint64_t sector = firstSectorOf("recover-ntfs.img", "frag.bin");
  DriveFileList& list = scan("recover-ntfs.img", AttachOptions{.removable = false, .badSectors = {{sector, 1}}});
  FileEntry& frag = mustFind(list, "frag.bin");
  job.batch = false;
  EXPECT_FALSE(RecoverEntry(list, frag, nullptr, target(), job));
  ASSERT_EQ(ui.countCalls("messageBox(\"读取簇 " + std::to_string(sector / 8) + " 时发生错误\""), 1u)
      << (ui.calls().empty() ? "" : ui.calls().back());
  EXPECT_FALSE(std::filesystem::exists(outputOf(frag)));
}

TEST_F(RecoverNtfsFilesTest, AReadFailureInsideARunFailsAtThatClusterAfterTheOnesBeforeIt) {
  // plain.bin lies in one run of 74 clusters, read a stretch at a time; the 11th cannot be read.
  std::uint64_t sector = firstSectorOf("recover-ntfs.img", "plain.bin");
  DriveFileList& list = scan("recover-ntfs.img", AttachOptions{.removable = false, .badSectors = {{sector + 10 * 8 + 3, 1}}});
  FileEntry& plain = mustFind(list, "plain.bin");
  EXPECT_FALSE(RecoverEntry(list, plain, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File plain.bin: 失败于错误 \"读取簇 " + utf8ToUtf16(std::to_string(sector / 8)) + u" 时发生错误\"\r\n");
  EXPECT_EQ(job.progress, 10u * 4096) << "the ten clusters before the bad one were copied";
  EXPECT_FALSE(std::filesystem::exists(outputOf(plain)));
}

}  // namespace
}  // namespace tarvosk::test
