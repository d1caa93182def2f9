// The file list view's rows without a window: cell texts, the five sort orders, visible rows and
// type-ahead, on hand-made lists (the rows of a FAT entry come from the entry alone).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "scan/DriveFileList.h"
#include "settings/Settings.h"
#include "shell/FolderSort.h"
#include "shell/RowTexts.h"
#include "shell/TypeAhead.h"
#include "shell/VisibleRows.h"

namespace tarvosk {
namespace {

struct Child {
  std::u16string name;
  bool folder = false;
  bool deleted = true;
  std::uint64_t size = 0;
  std::uint8_t chance = CHANCE_NOT_RATED;
  std::uint16_t dosDate = 0;
  bool noDeletedFiles = false;
};

// A FAT list whose root holds the children in the order given (and itself, as scans of some
// volumes leave it).
class FileRowsTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = settings(); }
  void TearDown() override { settings() = saved_; }

  FileEntry& makeFolder(const std::vector<Child>& children) {
    FileEntry& root = list_.Lookup(ROOT_ENTRY_ID);
    root.id = ROOT_ENTRY_ID;
    root.isFolder = true;
    root.kind = ENTRY_KIND_FAT;
    root.children.push_back(ROOT_ENTRY_ID);
    std::uint64_t id = FIRST_SCAN_ENTRY_ID;
    for (const Child& c : children) {
      FileEntry& e = list_.Lookup(id);
      e.id = id;
      e.parentId = ROOT_ENTRY_ID;
      e.kind = ENTRY_KIND_FAT;
      e.name = c.name;
      e.isFolder = c.folder;
      e.deleted = c.deleted;
      e.size = c.size;
      e.recoveryChance = c.chance;
      e.dosDate = c.dosDate;
      e.noDeletedFiles = c.noDeletedFiles;
      list_.Lookup(ROOT_ENTRY_ID).children.push_back(id++);
    }
    return list_.Lookup(ROOT_ENTRY_ID);
  }

  std::vector<std::string> rowNames(bool showEmptyFolders = true) {
    std::vector<std::string> names;
    for (FileEntry* e : visibleRows(list_, list_.Lookup(ROOT_ENTRY_ID), showEmptyFolders)) names.push_back(utf16ToUtf8(e->name));
    return names;
  }

  DriveFileList list_;
  Settings saved_;
};

TEST(RowTextTest, SizesTypesAndDates) {
  struct Case {
    std::uint64_t size;
    const char16_t* text;
  } sizes[] = {{0, u"0 字节"},          {1000, u"1000 字节"},           {1023, u"1023 字节"},
               {1024, u"1.0 KB"},         {1536, u"1.5 KB"},              {3145728, u"3.0 MB"},
               {1048575, u"1024.0 KB"}, {1048576, u"1.0 MB"},           {4ull << 30, u"4096.0 MB"},
               {(4ull << 30) + 1, u"4096.0 MB"}};
  for (const Case& c : sizes) {
    FileEntry e;
    e.size = c.size;
    EXPECT_EQ(fileSizeText(e), c.text) << c.size;
  }
  FileEntry folder;
  folder.isFolder = true;
  folder.size = 4096;
  EXPECT_EQ(fileSizeText(folder), u"");

  struct TypeCase {
    const char16_t* name;
    bool folder, deleted;
    const char16_t* text;
  } types[] = {{u"report.doc", false, true, u"已删除的文件 (DOC)"}, {u"README", false, true, u"已删除的文件"},
               {u"a.tar.Gz", false, true, u"已删除的文件 (GZ)"},   {u"live.doc", false, false, u""},
               {u"old", true, true, u"已删除的文件夹"},             {u"docs", true, false, u"文件夹"}};
  for (const TypeCase& c : types) {
    FileEntry e;
    e.name = c.name;
    e.isFolder = c.folder;
    e.deleted = c.deleted;
    EXPECT_EQ(fileTypeText(e), c.text) << utf16ToUtf8(c.name);
  }

  FileEntry dated;
  dated.kind = ENTRY_KIND_FAT;
  dated.dosDate = static_cast<std::uint16_t>(((2024 - 1980) << 9) | (3 << 5) | 7);  // 7 March 2024
  dated.dosTime = static_cast<std::uint16_t>((9 << 11) | (5 << 5));                // 09:05
  EXPECT_EQ(modifiedText(dated), u"07/03/2024  09:05");
  dated.dosDate = 0;
  EXPECT_EQ(modifiedText(dated), u"") << "an entry without a date shows an empty cell";
}

TEST_F(FileRowsTest, SortOrdersOfEveryColumnBothWays) {
  settings().ShowRecoveryChanses = true;
  auto date = [](int day) { return static_cast<std::uint16_t>(((2020 - 1980) << 9) | (1 << 5) | day); };
  const std::vector<Child> children = {
      {u"b.txt", false, true, 300, CHANCE_POOR, date(3)},
      {u"Zeta", true, false, 0, 0, date(9)},
      {u"a.doc", false, true, 100, CHANCE_PROBABLY_GOOD, date(1)},
      {u"alpha", true, true, 0, 0, date(2)},
      {u"C.pdf", false, true, 200, CHANCE_NOT_RECOVERABLE, date(4)},
      {u"live.bin", false, false, 50, 0, date(5)},
  };
  struct Case {
    SortColumn column;
    bool ascending;
    std::vector<std::string> rows;
  } cases[] = {
      {SortColumn::Name, true, {"alpha", "Zeta", "a.doc", "b.txt", "C.pdf", "live.bin"}},
      {SortColumn::Name, false, {"live.bin", "C.pdf", "b.txt", "a.doc", "Zeta", "alpha"}},
      // Folders keep their order among themselves.
      {SortColumn::Size, true, {"Zeta", "alpha", "live.bin", "a.doc", "C.pdf", "b.txt"}},
      {SortColumn::Size, false, {"b.txt", "C.pdf", "a.doc", "live.bin", "Zeta", "alpha"}},
      // Live files, deleted files by extension (greater first), folders, deleted folders.
      {SortColumn::Type, true, {"live.bin", "b.txt", "C.pdf", "a.doc", "Zeta", "alpha"}},
      {SortColumn::Modified, true, {"a.doc", "alpha", "b.txt", "C.pdf", "live.bin", "Zeta"}},
      {SortColumn::Modified, false, {"Zeta", "live.bin", "C.pdf", "b.txt", "alpha", "a.doc"}},
      {SortColumn::Condition, true, {"Zeta", "alpha", "a.doc", "b.txt", "C.pdf", "live.bin"}},
  };
  for (const Case& c : cases) {
    list_ = DriveFileList();
    FileEntry& root = makeFolder(children);
    sortFolderChildren(list_, root, c.column, c.ascending);
    EXPECT_EQ(rowNames(), c.rows) << "column " << static_cast<int>(c.column) << (c.ascending ? " ascending" : " descending");
    EXPECT_EQ(root.children.size(), children.size() + 1) << "the sort reorders, it neither adds nor drops";
  }
}

TEST_F(FileRowsTest, SortedFoldersSortOnceEachWayAndForgetAList) {
  FileEntry& root = makeFolder({{u"b"}, {u"a"}});
  SortedFolders memory;
  EXPECT_TRUE(memory.sort(list_, root, SortColumn::Name, true));
  EXPECT_FALSE(memory.sort(list_, root, SortColumn::Name, true)) << "already sorted this way";
  EXPECT_TRUE(memory.sort(list_, root, SortColumn::Name, false));
  memory.forget(&list_);
  EXPECT_TRUE(memory.sort(list_, root, SortColumn::Name, false)) << "a rescanned list starts unsorted";
}

TEST_F(FileRowsTest, RootNeverShowsAndEmptyFoldersHideWhenAsked) {
  makeFolder({{u"empty", true, false, 0, 0, 0, true}, {u"full", true, false, 0, 0, 0, false}, {u"gone.txt"}});
  EXPECT_EQ(rowNames(true), (std::vector<std::string>{"empty", "full", "gone.txt"}));
  EXPECT_EQ(rowNames(false), (std::vector<std::string>{"full", "gone.txt"}));
}

TEST(TypeAheadTest, FindsTheNextMatchAfterTheStartWrappingRound) {
  const std::vector<std::u16string> names = {u"Report.doc", u"notes.txt", u"rep2.xls", u"photo.jpg"};
  auto nameOf = [&](std::size_t row) { return std::u16string_view(names[row]); };
  EXPECT_EQ(findRowByPrefix(names.size(), 1, u"rep", nameOf), 2u);
  EXPECT_EQ(findRowByPrefix(names.size(), 3, u"REP", nameOf), 0u) << "wraps round, any case";
  EXPECT_EQ(findRowByPrefix(names.size(), 99, u"rep", nameOf), 0u) << "a start beyond the end begins at row 0";
  EXPECT_FALSE(findRowByPrefix(names.size(), 0, u"zzz", nameOf).has_value());
  EXPECT_FALSE(findRowByPrefix(0, 0, u"r", nameOf).has_value());
}

}  // namespace
}  // namespace tarvosk
