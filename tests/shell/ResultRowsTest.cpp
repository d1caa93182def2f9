// The search results' rows without a window: the containing folder's text, and the result set
// sorted by the folder column and by a column of the file list, on a hand-made FAT list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "shell/ResultRows.h"

namespace tarvosk {
namespace {

FileEntry& add(DriveFileList& list, std::uint64_t parent, std::uint64_t id, const char16_t* name, bool folder,
               std::uint64_t size = 0) {
  FileEntry& e = list.Lookup(id);
  e.id = id;
  e.parentId = parent;
  e.kind = ENTRY_KIND_FAT;
  e.name = name;
  e.isFolder = folder;
  e.deleted = !folder;
  e.size = size;
  list.Lookup(parent).children.push_back(id);
  return e;
}

TEST(ResultRowsTest, FolderTextsAndSortsOfTheResultSet) {
  DriveFileList drive;
  drive.Lookup(ROOT_ENTRY_ID).id = ROOT_ENTRY_ID;
  add(drive, ROOT_ENTRY_ID, 7, u"b", true);
  add(drive, 7, 8, u"A", true);
  add(drive, 8, 9, u"deep.txt", false, 300);
  add(drive, ROOT_ENTRY_ID, 10, u"root.txt", false, 100);
  add(drive, 7, 11, u"middle.txt", false, 200);
  EXPECT_EQ(containingFolderText(drive, drive.Lookup(9)), u"b\\A\\");
  EXPECT_EQ(containingFolderText(drive, drive.Lookup(10)), u"");
  EXPECT_EQ(containingFolderIds(drive, drive.Lookup(9)), (std::vector<std::uint64_t>{7, 8}));

  DriveFileList results;
  FileEntry& found = results.Lookup(ROOT_ENTRY_ID);
  for (std::uint64_t id : {9, 10, 11}) found.children.push_back(id);
  auto names = [&] {
    std::vector<std::string> out;
    for (std::uint64_t id : found.children) out.push_back(utf16ToUtf8(drive.Lookup(id).name));
    return out;
  };
  sortResults(drive, found, ResultColumn::Folder, true);
  EXPECT_EQ(names(), (std::vector<std::string>{"root.txt", "middle.txt", "deep.txt"}));
  sortResults(drive, found, ResultColumn::Folder, false);
  EXPECT_EQ(names(), (std::vector<std::string>{"deep.txt", "middle.txt", "root.txt"}));
  sortResults(drive, found, ResultColumn::Size, true);
  EXPECT_EQ(names(), (std::vector<std::string>{"root.txt", "middle.txt", "deep.txt"}));
  EXPECT_EQ(resultCellText(drive, drive.Lookup(11), ResultColumn::Folder), u"b\\");
  EXPECT_EQ(resultCellText(drive, drive.Lookup(11), ResultColumn::Size), u"200 字节");
}

TEST(ResultRowsTest, ParentsThatRunInACircleEndTheFolderText) {
  DriveFileList drive;
  add(drive, 8, 7, u"x", true);
  add(drive, 7, 8, u"y", true);  // damaged folder data: x and y hold each other
  add(drive, 8, 9, u"f.txt", false);
  const std::u16string text = containingFolderText(drive, drive.Lookup(9));
  EXPECT_FALSE(text.empty());
  EXPECT_LE(text.size(), 2u * 16384u) << "bounded however the parents run";
}

}  // namespace
}  // namespace tarvosk
