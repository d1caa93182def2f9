// The compact storage of file lists: entries found by id however the ids are spread, entries
// that never move, and the strings and child arrays the entries hold.
#include <gtest/gtest.h>

#include <random>
#include <unordered_map>
#include <vector>

#include "scan/DriveFileList.h"

namespace tarvosk {
namespace {

// Ids as the scans give them: counting up (FAT, physical), record numbers with gaps (NTFS), the
// recycle bin's range and the orphan folder, and random ones that share their low bits.
std::vector<std::uint64_t> spreadIds() {
  std::vector<std::uint64_t> ids;
  for (std::uint64_t i = 0; i < 30000; ++i) ids.push_back(FIRST_SCAN_ENTRY_ID + i);
  for (std::uint64_t i = 0; i < 20000; ++i) ids.push_back(1000000 + i * 37);
  for (std::uint64_t i = 0; i < 300; ++i) ids.push_back(FIRST_RECYCLE_BIN_ENTRY_ID + i);
  for (std::uint64_t i = 1; i <= 2000; ++i) ids.push_back(i << 40);  // the low 40 bits all zero
  ids.push_back(ORPHAN_FOLDER_ENTRY_ID);
  ids.push_back(0);
  std::mt19937_64 random(20261209);
  for (int i = 0; i < 5000; ++i) ids.push_back(random() | (1ull << 63));
  return ids;
}

TEST(DriveFileListStorage, FindsEveryIdAndEntriesNeverMove) {
  DriveFileList list;
  std::unordered_map<std::uint64_t, FileEntry*> created;
  const std::vector<std::uint64_t> ids = spreadIds();
  for (std::uint64_t id : ids) {
    if (created.count(id)) continue;
    FileEntry& e = list.Lookup(id);
    e.size = id ^ 0x5A5A;
    created[id] = &e;
  }
  ASSERT_EQ(list.size(), created.size());
  for (std::uint64_t id : ids) {
    ASSERT_EQ(list.Find(id), created[id]) << "id " << id << " moved or was lost as the table grew";
    EXPECT_EQ(&list.Lookup(id), created[id]) << "a second lookup creates nothing";
    EXPECT_EQ(list.Find(id)->size, id ^ 0x5A5A);
  }
  EXPECT_EQ(list.size(), created.size());
  EXPECT_EQ(list.Find(3), nullptr);
  EXPECT_EQ(list.Find(FIRST_RECYCLE_BIN_ENTRY_ID + 300), nullptr);
}

TEST(DriveFileListStorage, IteratesInCreationOrderAndKeysByTheIdOfCreation) {
  DriveFileList list;
  const std::vector<std::uint64_t> order{ROOT_ENTRY_ID, 900, 7, ORPHAN_FOLDER_ENTRY_ID, 8};
  for (std::uint64_t id : order) list.Lookup(id).id = id;
  // A producer may overwrite the id field (a search copies a folder's entry over its own); the
  // entry stays under the id it was created with.
  list.Lookup(900).id = 12345;
  std::vector<std::uint64_t> seen;
  for (const FileEntry& e : list) seen.push_back(e.id);
  EXPECT_EQ(seen, (std::vector<std::uint64_t>{ROOT_ENTRY_ID, 12345, 7, ORPHAN_FOLDER_ENTRY_ID, 8}));
  EXPECT_NE(list.Find(900), nullptr);
  EXPECT_EQ(list.Find(12345), nullptr);

  DriveFileList moved = std::move(list);
  EXPECT_EQ(moved.size(), 5u);
  EXPECT_EQ(moved.Find(ORPHAN_FOLDER_ENTRY_ID)->id, ORPHAN_FOLDER_ENTRY_ID);
}

TEST(EntryString, HoldsCopiesAndCutsTexts) {
  EntryString name;
  EXPECT_TRUE(name.empty());
  EXPECT_EQ(name.size(), 0u);
  EXPECT_EQ(name.c_str()[0], u'\0');

  name = u"Docs";
  EXPECT_EQ(name, u"Docs");
  EXPECT_EQ(std::u16string(name.c_str()), u"Docs") << "NUL-terminated for the platform's file calls";
  EntryString copy = name;
  name = std::u16string(u"Letters");
  EXPECT_EQ(copy, u"Docs") << "copies own their characters";
  EXPECT_EQ(name.str(), u"Letters");

  name = name.view().substr(3);  // a view of the string itself
  EXPECT_EQ(name, u"ters");
  name = u"";
  EXPECT_TRUE(name.empty());

  const std::u16string withNul(u"a\0b", 3);
  name = withNul;
  EXPECT_EQ(name.size(), 3u) << "the length is kept, not found by the NUL";

  name = std::u16string(70000, u'x');
  EXPECT_EQ(name.size(), EntryString::kMaxLength);

  EntryString taken = std::move(copy);
  EXPECT_EQ(taken, u"Docs");
}

TEST(ChildIds, GrowsCopiesAndRunsBothWays) {
  ChildIds ids;
  EXPECT_TRUE(ids.empty());
  EXPECT_EQ(ids.begin(), ids.end());
  for (std::uint64_t i = 0; i < 10000; ++i) ids.push_back(i * 3);
  ASSERT_EQ(ids.size(), 10000u);
  EXPECT_EQ(ids[9999], 29997u);

  ChildIds copy = ids;
  ids.push_back(1);
  EXPECT_EQ(copy.size(), 10000u) << "a copy is its own array";
  EXPECT_EQ(*copy.rbegin(), 29997u);
  std::vector<std::uint64_t> backwards(copy.rbegin(), copy.rend());
  EXPECT_EQ(backwards.front(), 29997u);
  EXPECT_EQ(backwards.back(), 0u);

  copy = ids;
  EXPECT_EQ(copy.size(), 10001u);
  copy.clear();
  EXPECT_TRUE(copy.empty());
  copy.push_back(42);
  EXPECT_EQ(copy[0], 42u);
  ChildIds taken = std::move(ids);
  EXPECT_EQ(taken.size(), 10001u);
}

}  // namespace
}  // namespace tarvosk
