// Searches over the scan of a FAT volume made by mkfs.fat and mtools.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/Files.h"
#include "search/LookInPath.h"
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
    for (std::uint64_t id : results->Lookup(ROOT_ENTRY_ID).children) out.push_back(drive->Lookup(id).name.str());
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

TEST_F(SearchEngineTest, EachSearchStoresItsResultSetUnderTheNextName) {
  std::u16string first, second;
  ASSERT_EQ(SearchDrive(lists, u"C:", u"C:\\", u"*", SearchCriteria{}, progress, first), SearchOutcome::Stored);
  EXPECT_TRUE(progress.closed());
  ASSERT_EQ(SearchDrive(lists, u"C:", u"C:\\docs\\", u"*", SearchCriteria{}, progress, second), SearchOutcome::Stored);
  EXPECT_EQ(first, u"Search(1)");
  EXPECT_EQ(second, u"Search(2)");
  DriveFileList& inRoot = *lists.GetDriveList(first);
  ASSERT_EQ(inRoot.size(), 1u) << "one folder entry, whose children name the matches in the drive's list";
  ASSERT_EQ(inRoot.Lookup(ROOT_ENTRY_ID).children.size(), 1u);
  EXPECT_EQ(drive->Lookup(inRoot.Lookup(ROOT_ENTRY_ID).children[0]).name, u"?ONE.BIN");
  DriveFileList& inDocs = *lists.GetDriveList(second);
  ASSERT_EQ(inDocs.size(), 1u);
  EXPECT_EQ(inDocs.begin()->name, u"DOCS") << "a copy of the look-in folder (case-insensitive)";
  EXPECT_TRUE(inDocs.begin()->children.empty());
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(SearchEngineTest, WhatCannotBeSearchedIsSaidAndAnEmptyLookInDoesNothing) {
  std::u16string name;
  EXPECT_EQ(SearchDrive(lists, u"D:", u"D:\\", u"*", SearchCriteria{}, progress, name), SearchOutcome::InvalidDrive);
  EXPECT_EQ(ui.countCalls("messageBox(\"驱动器无效\", \"Tarvosk\", 0x30)"), 1u);
  EXPECT_EQ(SearchDrive(lists, u"C:", u"C:\\DOCS\\NOSUCH", u"*", SearchCriteria{}, progress, name),
            SearchOutcome::InvalidPath);
  EXPECT_EQ(ui.countCalls("messageBox(\"路径无效\", \"Tarvosk\", 0x30)"), 1u);
  ui.clearCalls();
  EXPECT_EQ(SearchDrive(lists, u"C:", u"", u"*", SearchCriteria{}, progress, name), SearchOutcome::NoLookInText);
  EXPECT_TRUE(ui.calls().empty());
  EXPECT_EQ(nextSearchName(lists), u"Search(1)") << "no result set was stored";
}

TEST(LookInPathTest, DriveThenFoldersEachFollowedByABackslash) {
  EXPECT_EQ(lookInPath(u"C:", {u"a", u"b"}), u"C:\\a\\b\\");
  EXPECT_EQ(lookInPath(u"C:", {}), u"C:\\");
  EXPECT_EQ(lookInPath(drivePathOfPhysicalDrive(0), {}), u"HardDrive0:\\");
  EXPECT_EQ(lookInPath(drivePathOfPhysicalDrive(3), {u"Jpeg 图像"}), u"HardDrive3:\\Jpeg 图像\\");
}

TEST_F(SearchEngineTest, AFolderOfAThoroughScanIsSearchedThroughItsHardDrivePath) {
  attachFixture("recover-fat16.img");  // D: and physical drive 1, with files to carve
  const std::u16string disk = drivePathOfPhysicalDrive(1);
  ASSERT_TRUE(lists.BuildFileList(disk, progress, false, 0, 0));
  DriveFileList& carved = *lists.GetDriveList(disk);
  const FileEntry& root = carved.Lookup(ROOT_ENTRY_ID);
  ASSERT_FALSE(root.children.empty()) << "the thorough scan carved nothing";
  const FileEntry& typeFolder = carved.Lookup(root.children[0]);
  std::u16string all, inFolder;
  ASSERT_EQ(SearchDrive(lists, disk, lookInPath(disk, {}), u"*", SearchCriteria{}, progress, all), SearchOutcome::Stored);
  ASSERT_EQ(SearchDrive(lists, disk, lookInPath(disk, {typeFolder.name.str()}), u"*", SearchCriteria{}, progress, inFolder),
            SearchOutcome::Stored);
  const ChildIds& found = lists.GetDriveList(inFolder)->Lookup(typeFolder.id).children;
  EXPECT_TRUE(std::equal(found.begin(), found.end(), typeFolder.children.begin(), typeFolder.children.end()));
  EXPECT_FALSE(found.empty());
  EXPECT_GE(lists.GetDriveList(all)->Lookup(ROOT_ENTRY_ID).children.size(), found.size());
  EXPECT_EQ(ui.countCalls("messageBox("), 0u);
}

TEST_F(SearchEngineTest, ACancelKeepsTheMatchesFoundSoFar) {
  attachFixture("recover-fat16.img");
  ASSERT_TRUE(lists.BuildFileList(u"D:", progress, false, 0, 0));
  std::u16string all, cancelled;
  ASSERT_EQ(SearchDrive(lists, u"D:", u"D:\\", u"*", SearchCriteria{}, progress, all), SearchOutcome::Stored);
  const ChildIds every = lists.GetDriveList(all)->Lookup(ROOT_ENTRY_ID).children;
  ASSERT_GE(every.size(), 10u);
  progress.cancelAfterPumps(6);  // one pump for the root, then one per entry visited
  ASSERT_EQ(SearchDrive(lists, u"D:", u"D:\\", u"*", SearchCriteria{}, progress, cancelled), SearchOutcome::Stored);
  const ChildIds& kept = lists.GetDriveList(cancelled)->Lookup(ROOT_ENTRY_ID).children;
  EXPECT_FALSE(kept.empty());
  EXPECT_LT(kept.size(), every.size());
  EXPECT_TRUE(std::equal(kept.begin(), kept.end(), every.begin())) << "the first matches, in the order found";
}

}  // namespace
}  // namespace tarvosk::test
