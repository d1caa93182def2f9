// Volume services and "C:\..." file access through a file system provider.
#include <gtest/gtest.h>


#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "support/AttachedImages.h"
#include "support/MemoryVolume.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

std::unique_ptr<MemoryVolume> sampleVolume() {
  auto v = std::make_unique<MemoryVolume>();
  v->addFolder(u"DOCS");
  v->addFile(u"DOCS\\README.TXT", "hello, volume");
  v->addFile(u"DOCS\\Long File Name.txt", "long", u"LONGFI~1.TXT");
  v->addFile(u"DOCS\\PIC.JPG", std::string(3000000, 'j'));
  return v;
}

class VolumeServicesTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    attachFixture("ntfs.img");
    ntfs_ = std::make_shared<MemoryVolumeProvider>("NTFS    ", sampleVolume);
    registerVolumeProvider(std::make_shared<MemoryVolumeProvider>("NOTTHIS ", sampleVolume));
    registerVolumeProvider(ntfs_);
  }
  std::shared_ptr<MemoryVolumeProvider> ntfs_;
};

TEST_F(VolumeServicesTest, TheProviderThatRecognisesTheVolumeAnswersAndIsMountedOnce) {
  WCHAR label[32], fs[32];
  DWORD serial = 0, maxName = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationW(u"C:\\", label, 32, &serial, &maxName, &flags, fs, 32));
  EXPECT_EQ(std::u16string(label), u"卷标");
  EXPECT_EQ(std::u16string(fs), u"FAT32");
  EXPECT_EQ(serial, 0x1234ABCDu);
  EXPECT_FALSE(GetVolumeInformationW(u"C:\\", label, 2, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);

  DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW(u"c:\\", &spc, &bps, &freeClusters, &total));
  EXPECT_EQ(spc, 8u);
  EXPECT_EQ(bps, 512u);
  EXPECT_EQ(freeClusters, 1000u);
  EXPECT_EQ(total, 5000u);
  ULARGE_INTEGER avail{}, all{}, freeBytes{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:\\DOCS\\", &avail, &all, &freeBytes));
  EXPECT_EQ(all.QuadPart, 5000ull * 4096);
  EXPECT_EQ(freeBytes.QuadPart, 1000ull * 4096);
  EXPECT_EQ(ntfs_->mounts, 1);
}

TEST_F(VolumeServicesTest, FilesInsideTheVolumeAreFoundAndReadButNeverWritten) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(u"C:\\DOCS\\*.txt", &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  std::vector<std::u16string> names{data.cFileName};
  while (FindNextFileW(find, &data)) names.push_back(data.cFileName);
  EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
  FindClose(find);
  EXPECT_EQ(names, (std::vector<std::u16string>{u"Long File Name.txt", u"README.TXT"}));

  find = FindFirstFileW(u"C:\\DOCS\\LONGFI~1.TXT", &data);  // short names are found too
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(std::u16string(data.cAlternateFileName), u"LONGFI~1.TXT");
  FindClose(find);
  EXPECT_EQ(FindFirstFileW(u"C:\\DOCS\\*.doc", &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(GetFileAttributesW(u"C:\\DOCS"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"C:\\"), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(u"C:\\NOPE"), INVALID_FILE_ATTRIBUTES);

  HANDLE h = CreateFileW(u"C:\\DOCS\\..\\DOCS\\README.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  char buffer[64] = {};
  DWORD got = 0;
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(std::string(buffer, got), "hello, volume");
  ASSERT_TRUE(ReadFile(h, buffer, sizeof buffer, &got, nullptr));
  EXPECT_EQ(got, 0u) << "reading at the end of a file gives nothing, successfully";
  FILETIME written{};
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  EXPECT_EQ(written.dwLowDateTime, 0x12345678u);
  EXPECT_FALSE(WriteFile(h, "x", 1, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  CloseHandle(h);

  EXPECT_EQ(CreateFileW(u"C:\\DOCS\\README.TXT", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(u"C:\\NEW.TXT", GENERIC_READ, 0, nullptr, CREATE_NEW, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileW(u"C:\\DOCS\\README.TXT"));
  EXPECT_FALSE(CreateDirectoryW(u"C:\\NEWDIR", nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  EXPECT_EQ(CreateFileW(u"C:\\DOCS", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE)
      << "a folder opens only with backup semantics";
  h = CreateFileW(u"C:\\DOCS", GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(VolumeServicesTest, AFileCopiesOutOfTheVolumeWithItsBytesAndTime) {
  ScratchDir dir;
  std::u16string target = utf8ToUtf16(dir.file("PIC.JPG"));
  ASSERT_TRUE(CopyFileW(u"C:\\DOCS\\PIC.JPG", target.c_str(), TRUE)) << GetLastError();
  std::vector<std::uint8_t> bytes = readWholeFile(dir.file("PIC.JPG"));
  EXPECT_EQ(bytes.size(), 3000000u);
  EXPECT_EQ(bytes.front(), 'j');
  EXPECT_EQ(bytes.back(), 'j');
  EXPECT_FALSE(CopyFileW(u"C:\\DOCS\\README.TXT", target.c_str(), TRUE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  ASSERT_TRUE(CopyFileW(u"C:\\DOCS\\README.TXT", target.c_str(), FALSE));
  EXPECT_EQ(readWholeFile(dir.file("PIC.JPG")).size(), 13u);
  HANDLE h = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME written{};
  ASSERT_TRUE(GetFileTime(h, nullptr, nullptr, &written));
  EXPECT_EQ(written.dwHighDateTime, 0x01D00000u);
  EXPECT_EQ(written.dwLowDateTime / 10, 0x12345678u / 10) << "the time survives to the host's resolution";
  CloseHandle(h);
  EXPECT_FALSE(CopyFileW(u"C:\\DOCS\\NOPE.TXT", utf8ToUtf16(dir.file("nope")).c_str(), FALSE));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(dir.file("nope"))) << "a failed copy leaves nothing behind";
}

}  // namespace
}  // namespace tarvosk::test
