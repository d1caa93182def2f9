// File lists: lookups, paths to folders and the no-deleted-files flags.
#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "scan/FileList.h"

namespace tarvosk {
namespace {

// Adds a child under parent and returns it.
FileEntry& add(DriveFileList& list, std::uint64_t parent, std::uint64_t id, const std::u16string& name, bool folder,
               bool deleted) {
  FileEntry& e = list.Lookup(id);
  e.id = id;
  e.parentId = parent;
  e.name = name;
  e.isFolder = folder;
  e.deleted = deleted;
  list.Lookup(parent).children.push_back(id);
  return e;
}

DriveFileList sampleTree() {
  DriveFileList list;
  FileEntry& root = list.Lookup(ROOT_ENTRY_ID);
  root.id = ROOT_ENTRY_ID;
  root.isFolder = true;
  add(list, 5, 7, u"Docs", true, false);
  add(list, 7, 8, u"Letters", true, false);
  add(list, 8, 9, u"old.txt", false, true);
  add(list, 5, 10, u"Empty", true, false);
  add(list, 10, 11, u"gone", true, true);  // a deleted folder with nothing deleted in it
  return list;
}

TEST(DriveFileList, LookupCreatesDefaultsAndFindDoesNot) {
  DriveFileList list;
  EXPECT_EQ(list.Find(42), nullptr);
  FileEntry& e = list.Lookup(42);
  EXPECT_TRUE(e.name.empty());
  EXPECT_EQ(e.handle, NO_HANDLE);
  EXPECT_EQ(e.kind, ENTRY_KIND_NTFS);
  EXPECT_TRUE(e.noDeletedFiles);
  EXPECT_EQ(list.Find(42), &e);
  for (std::uint64_t id = 100; id < 10000; ++id) list.Lookup(id);
  EXPECT_EQ(list.Find(42), &e) << "entries stay where they are as the list grows";
}

TEST(FindEntryByPath, NamesTheFolderThatHoldsTheFile) {
  DriveFileList list = sampleTree();
  std::uint64_t id = 0;
  ASSERT_TRUE(CFileList::FindEntryByPath(u"C:\\file.txt", list, id));
  EXPECT_EQ(id, ROOT_ENTRY_ID);
  ASSERT_TRUE(CFileList::FindEntryByPath(u"C:\\docs\\LETTERS\\old.txt", list, id));
  EXPECT_EQ(id, 8u);
  ASSERT_TRUE(CFileList::FindEntryByPath(u"C:/Docs/Letters/", list, id));
  EXPECT_EQ(id, 8u);
  // The drive part, whatever it says, names no folder.
  for (const char16_t* path : {u"HardDrive0:\\Docs\\Letters\\", u"HardDrive12:\\docs\\letters\\", u"\\Docs\\Letters\\"}) {
    id = 0;
    ASSERT_TRUE(CFileList::FindEntryByPath(path, list, id)) << utf16ToUtf8(path);
    EXPECT_EQ(id, 8u);
  }
  ASSERT_TRUE(CFileList::FindEntryByPath(u"HardDrive0:\\", list, id));
  EXPECT_EQ(id, ROOT_ENTRY_ID);
  EXPECT_FALSE(CFileList::FindEntryByPath(u"C:\\Docs\\Nope\\x.txt", list, id));
  EXPECT_FALSE(CFileList::FindEntryByPath(u"", list, id));
  DriveFileList empty;
  EXPECT_FALSE(CFileList::FindEntryByPath(u"C:\\a\\b", empty, id)) << "no root";
}

TEST(ComputeDeletedFlags, MarksEveryFolderAboveADeletedFileAndNoOther) {
  DriveFileList list = sampleTree();
  EXPECT_TRUE(ComputeDeletedFlags(list, list.Lookup(ROOT_ENTRY_ID)));
  EXPECT_FALSE(list.Lookup(5).noDeletedFiles);
  EXPECT_FALSE(list.Lookup(7).noDeletedFiles);
  EXPECT_FALSE(list.Lookup(8).noDeletedFiles);
  EXPECT_FALSE(list.Lookup(9).noDeletedFiles);
  EXPECT_TRUE(list.Lookup(10).noDeletedFiles) << "only a deleted empty folder beneath";
  EXPECT_TRUE(list.Lookup(11).noDeletedFiles);
  EXPECT_FALSE(ComputeDeletedFlags(list, list.Lookup(10)));
}

TEST(ComputeDeletedFlags, SurvivesLoopsAndVeryDeepFolders) {
  DriveFileList list = sampleTree();
  list.Lookup(8).children.push_back(7);  // Letters holds its own parent: damaged folder data
  list.Lookup(7).children.push_back(5);  // and the root, which is always skipped
  EXPECT_TRUE(ComputeDeletedFlags(list, list.Lookup(ROOT_ENTRY_ID)));

  DriveFileList deep;
  deep.Lookup(ROOT_ENTRY_ID).id = ROOT_ENTRY_ID;
  std::uint64_t parent = ROOT_ENTRY_ID;
  for (std::uint64_t id = 7; id < 200007; ++id) {
    add(deep, parent, id, u"d", true, false);
    parent = id;
  }
  add(deep, parent, 300000, u"f", false, true);
  EXPECT_TRUE(ComputeDeletedFlags(deep, deep.Lookup(ROOT_ENTRY_ID)));
  EXPECT_FALSE(deep.Lookup(100000).noDeletedFiles);
}

TEST(CFileList, StoresReplacesAndRemovesListsByDrivePath) {
  CFileList lists;
  EXPECT_EQ(lists.GetDriveList(u"C:"), nullptr);
  EXPECT_EQ(lists.lists().size(), 1u) << "asking leaves an empty slot";
  auto first = std::make_unique<DriveFileList>();
  first->Lookup(5).name = u"first";
  lists.StoreDriveList(u"C:", std::move(first));
  auto second = std::make_unique<DriveFileList>();
  second->Lookup(5).name = u"second";
  lists.StoreDriveList(u"C:", std::move(second));
  EXPECT_EQ(lists.GetDriveList(u"C:")->Lookup(5).name, u"second");
  EXPECT_EQ(lists.GetDriveList(u"c:"), nullptr) << "paths compare exactly";
  EXPECT_TRUE(lists.RemoveDriveList(u"C:"));
  EXPECT_TRUE(lists.RemoveDriveList(u"Q:"));
  EXPECT_EQ(lists.GetDriveList(u"C:"), nullptr);
  EXPECT_EQ(drivePathOfPhysicalDrive(1), std::u16string(u"\u007C:"));
  EXPECT_TRUE(isPhysicalDrivePath(drivePathOfPhysicalDrive(0)));
  EXPECT_FALSE(isPhysicalDrivePath(drivePathOfLetter(u'Z')));
}

}  // namespace
}  // namespace tarvosk
