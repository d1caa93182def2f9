// Recovering files and folders from scans of volumes made by real tools.
#include <gtest/gtest.h>

#include <algorithm>

#include "device/RawDevice.h"
#include "platform/Files.h"
#include "recover/RecoveryTest.h"

namespace tarvosk::test {
namespace {

class RecoverEntryTest : public RecoveryTest {
 protected:
  // A live file read through the volume's own file view.
  std::vector<std::uint8_t> liveFile(const std::u16string& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::uint8_t> bytes(1 << 20);
    DWORD got = 0;
    ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    bytes.resize(got);
    return bytes;
  }
};

TEST_F(RecoverEntryTest, ADeletedFatFileComesBackWithItsBytes) {
  DriveFileList& list = scan("fat32.img");
  FileEntry* gone = entryAt(list, "?ONE.BIN");
  ASSERT_NE(gone, nullptr);
  job.batch = false;
  ASSERT_TRUE(RecoverEntry(list, *gone, nullptr, target(), job)) << utf16ToUtf8(job.log);
  EXPECT_EQ(job.log, u"File ?ONE.BIN: Succeeded\r\n");
  EXPECT_EQ(readWholeFile(out.file("_ONE.BIN")), liveFile(u"C:\\DATA.BIN")) << "the same bytes were copied to both";
}

TEST_F(RecoverEntryTest, TheRootComesBackIntoTheTargetFolderAndExistingFilesAreKeptWhenTheUserSaysNo) {
  DriveFileList& list = scan("fat32.img");
  writeWholeFile(out.file("_ONE.BIN"), {1, 2, 3});
  ui.queueOverwriteAnswer(OverwriteAnswer::No);
  EXPECT_TRUE(RecoverEntry(list, list.Lookup(ROOT_ENTRY_ID), nullptr, target(), job));
  EXPECT_TRUE(std::filesystem::is_directory(out.path() / "DOCS"));
  EXPECT_EQ(readWholeFile(out.file("_ONE.BIN")).size(), 3u);
  EXPECT_NE(job.log.find(u"File ?ONE.BIN: Failed\r\n"), std::u16string::npos);
}

TEST_F(RecoverEntryTest, HostileLongNamesLandInsideTheTargetFolder) {
  // A copy of an mtools-made volume whose deleted long name is patched to hold "/" and "\\":
  // the name checksum covers only the short name, so the walker still takes the long one.
  ScratchDir work;
  std::vector<std::uint8_t> image = readWholeFile(fixturePath("fat16.img"));
  // Replaces the character at index of the first run of text (as UTF-16) in the image.
  auto patch = [&](const std::string& text, std::size_t index, char to) {
    std::string pattern;
    for (char c : text) pattern += std::string{c, '\0'};
    auto it = std::search(image.begin(), image.end(), pattern.begin(), pattern.end());
    ASSERT_NE(it, image.end()) << text;
    it[static_cast<std::ptrdiff_t>(2 * index)] = static_cast<std::uint8_t>(to);
  };
  patch("ed Lon", 3, '/');  // only "Deleted Long Name.txt" holds these in one name fragment
  patch("Name.", 0, '\\');
  std::string copy = work.file("hostile.img");
  writeWholeFile(copy, image);
  ASSERT_TRUE(attachImage(copy));
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  DriveFileList& list = *lists.GetDriveList(u"C:");
  FileEntry* hostile = nullptr;  // the name holds a "/", so no path can name it
  for (std::uint64_t id : list.Lookup(ROOT_ENTRY_ID).children)
    if (list.Lookup(id).name == u"Deleted /ong \\ame.txt") hostile = &list.Lookup(id);
  ASSERT_NE(hostile, nullptr);
  std::filesystem::create_directory(work.path() / "target");
  EXPECT_TRUE(RecoverEntry(list, *hostile, nullptr, utf8ToUtf16(work.file("target")), job));
  EXPECT_TRUE(std::filesystem::exists(work.path() / "target" / "Deleted _ong _ame.txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 2) << "nothing beside the target";
  EXPECT_NE(job.log.find(u"(saved as Deleted _ong _ame.txt)"), std::u16string::npos) << utf16ToUtf8(job.log);
}

TEST_F(RecoverEntryTest, ACancelDeletesThePartialFileAndKeepsTheOnesBefore) {
  DriveFileList& list = scan("fat16.img");
  FileEntry* first = entryAt(list, "Deleted Long Name.txt");
  FileEntry* second = entryAt(list, "已删除的文件.txt");
  ASSERT_TRUE(first && second);
  progress.cancelAfterPumps(2);  // each one-cluster file polls once
  EXPECT_TRUE(RecoverEntry(list, *first, nullptr, target(), job));
  EXPECT_TRUE(RecoverEntry(list, *second, nullptr, target(), job));
  EXPECT_TRUE(std::filesystem::exists(out.path() / "Deleted Long Name.txt"));
  EXPECT_FALSE(std::filesystem::exists(out.path() / "已删除的文件.txt"));
  EXPECT_EQ(job.log, u"File Deleted Long Name.txt: Succeeded\r\nFile 已删除的文件.txt: Cancelled\r\n");
}

TEST_F(RecoverEntryTest, AThoroughScanEntryComesBackFromItsSectors) {
  attachFixture("fat32.img");
  DWORD device = RAW_OpenDevice(0);
  ASSERT_NE(device, INVALID_LAYER_HANDLE);
  DriveFileList list;
  FileEntry& carved = list.Lookup(7);
  carved.id = 7;
  carved.name = u"file100.bin";
  carved.kind = ENTRY_KIND_RAW_DEVICE;
  carved.handle = device;
  carved.startPosition = 100;
  carved.size = 1500;
  carved.deleted = true;
  ASSERT_TRUE(RecoverEntry(list, carved, nullptr, target(), job)) << utf16ToUtf8(job.log);
  std::vector<std::uint8_t> all = readWholeFile(fixturePath("fat32.img"));
  EXPECT_EQ(readWholeFile(out.file("file100.bin")), std::vector<std::uint8_t>(all.begin() + 51200, all.begin() + 51200 + 1500));
}

TEST_F(RecoverEntryTest, AReadFailureOnAFatVolumeEndsIn145AndLeavesNoFile) {
  std::uint64_t sector = firstSectorOf("fat32.img", "?ONE.BIN");
  attachFixture("fat32.img", AttachOptions{.removable = false, .badSectors = {{sector + 3, 1}}});
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  DriveFileList& list = *lists.GetDriveList(u"C:");
  FileEntry* gone = entryAt(list, "?ONE.BIN");
  ASSERT_NE(gone, nullptr);
  EXPECT_FALSE(RecoverEntry(list, *gone, nullptr, target(), job));
  EXPECT_EQ(job.log, u"File ?ONE.BIN: 失败于错误 \"写入数据时发生错误\"\r\n");
  EXPECT_FALSE(std::filesystem::exists(out.path() / "_ONE.BIN"));
}

TEST_F(RecoverEntryTest, AReadFailureInAnNtfsRunEndsIn148AndLeavesNoFile) {
  std::uint64_t sector = firstSectorOf("ntfs-files.img", "gone.bin");
  attachFixture("ntfs-files.img", AttachOptions{.removable = false, .badSectors = {{sector, 1}}});
  ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
  DriveFileList& list = *lists.GetDriveList(u"C:");
  FileEntry* gone = entryAt(list, "gone.bin");
  ASSERT_NE(gone, nullptr);
  EXPECT_FALSE(RecoverEntry(list, *gone, nullptr, target(), job));
  EXPECT_EQ(job.log.rfind(u"File gone.bin: 失败于错误 \"读取簇 ", 0), 0u) << utf16ToUtf8(job.log);
  EXPECT_FALSE(std::filesystem::exists(out.path() / "gone.bin"));
}

}  // namespace
}  // namespace tarvosk::test
