// Searches over the scan of a FAT volume made by mkfs.fat and mtools.
#include <gtest/gtest.h>

#include <cstdio>

#include "platform/Files.h"
#include "search/SearchEngine.h"
#include "support/AttachedImages.h"
#include "support/FakeUi.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {
namespace {

class SearchEngineTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    registerFileSystemProviders();
    attachFixture("fat32.img");
    ASSERT_TRUE(lists.BuildFileList(u"C:", progress, false, 0, 0));
    drive = lists.GetDriveList(u"C:");
  }
  std::vector<std::u16string> names(const std::u16string& pattern, const SearchCriteria& criteria) {
    auto results = RunSearch(*drive, ROOT_ENTRY_ID, pattern, criteria, progress);
    std::vector<std::u16string> out;
    for (std::uint64_t id : results->Lookup(ROOT_ENTRY_ID).children) out.push_back(drive->Lookup(id).name);
    return out;
  }
  // Bytes of the live copy of the deleted file, through the volume's file view.
  std::u16string hexOfDataBin(std::uint64_t offset, int count) {
    HANDLE h = CreateFileW(u"C:\\DATA.BIN", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::vector<std::uint8_t> bytes(70000);
    DWORD got = 0;
    ReadFile(h, bytes.data(), 70000, &got, nullptr);
    CloseHandle(h);
    std::u16string hex;
    for (int i = 0; i < count; ++i) {
      char buf[3];
      std::snprintf(buf, sizeof buf, "%02X", bytes[offset + static_cast<std::uint64_t>(i)]);
      hex += static_cast<char16_t>(buf[0]);
      hex += static_cast<char16_t>(buf[1]);
    }
    return hex;
  }
  CFileList lists;
  FakeUi ui;
  FakeProgress progress;
  DriveFileList* drive = nullptr;
};

TEST_F(SearchEngineTest, NameAndSizeFilterTheDeletedFiles) {
  SearchCriteria c;
  EXPECT_EQ(names(u"*.bin", c), std::vector<std::u16string>{u"?ONE.BIN"});
  EXPECT_TRUE(names(u"*.txt", c).empty());
  c.sizeEnabled = true;
  c.sizeLimit = 70000;
  c.atLeast = true;
  EXPECT_TRUE(names(u"*", c).empty()) << "at least is strictly greater";
  c.atLeast = false;
  EXPECT_EQ(names(u"*", c).size(), 1u);
}

TEST_F(SearchEngineTest, ContentIsFoundAcrossAClusterBoundaryOfTheDeletedFile) {
  SearchCriteria c;
  c.hex = true;
  c.contentText = hexOfDataBin(505, 16);  // the volume's clusters are 512 bytes
  EXPECT_EQ(names(u"*", c).size(), 1u);
  c.contentText = u"00112233445566778899AABBCCDDEEFF0011";
  EXPECT_TRUE(names(u"*", c).empty());
}

TEST_F(SearchEngineTest, TextIsFoundWithoutRegardToCaseUnlessCaseMustMatch) {
  SearchCriteria c;
  c.contentText = u"tarvosk FIXTURE";  // the deleted file holds "Tarvosk fixture file"
  c.hex = false;
  // GONE.BIN holds random bytes; only the platform fixture's text files hold the words.
  CFileList textLists;
  attachFixture("fat16.img");
  ASSERT_TRUE(textLists.BuildFileList(u"D:", progress, false, 0, 0));
  DriveFileList& fat16 = *textLists.GetDriveList(u"D:");
  auto count = [&] { return RunSearch(fat16, ROOT_ENTRY_ID, u"*.txt", c, progress)->Lookup(ROOT_ENTRY_ID).children.size(); };
  EXPECT_GE(count(), 3u);
  c.matchCase = true;
  EXPECT_EQ(count(), 0u);
  c.contentText = u"Tarvosk fixture";
  EXPECT_GE(count(), 3u);
}

TEST_F(SearchEngineTest, ResultSetsAreNamedOneAfterAnother) {
  EXPECT_EQ(nextSearchName(lists), u"Search(1)");
  lists.StoreDriveList(u"Search(1)", RunSearch(*drive, ROOT_ENTRY_ID, u"*", SearchCriteria{}, progress));
  EXPECT_EQ(nextSearchName(lists), u"Search(2)");
}

}  // namespace
}  // namespace tarvosk::test
