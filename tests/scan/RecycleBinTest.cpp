// The recycle bin listing over a volume served from memory.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/ByteOrder.h"
#include "platform/CodePage.h"
#include "scan/RecycleBin.h"
#include "support/AttachedImages.h"
#include "support/MemoryVolume.h"

namespace tarvosk::test {
namespace {

struct Record {
  std::u16string path;
  std::uint32_t number;
  std::uint32_t drive;
};

std::string info2(std::uint32_t recordSize, const std::vector<Record>& records) {
  std::string bytes(20, '\0');
  putLe32(reinterpret_cast<std::uint8_t*>(&bytes[12]), recordSize);
  for (const Record& r : records) {
    std::string rec(recordSize, '\0');
    auto* p = reinterpret_cast<std::uint8_t*>(rec.data());
    std::string ansi = wideToAnsi(r.path);
    std::copy(ansi.begin(), ansi.end(), rec.begin());
    putLe32(p + 260, r.number);
    putLe32(p + 264, r.drive);
    if (recordSize == 800)
      for (std::size_t i = 0; i < r.path.size(); ++i) putLe16(p + 280 + 2 * i, r.path[i]);
    bytes += rec;
  }
  return bytes;
}

class RecycleBinTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    attachFixture("fat32.img");  // its boot sector names "mkfs.fat"; the files come from memory
    registerVolumeProvider(std::make_shared<MemoryVolumeProvider>("mkfs.fat", [this] {
      auto v = std::make_unique<MemoryVolume>();
      for (const auto& f : folders) v->addFolder(f);
      for (const auto& [path, bytes] : files) v->addFile(path, bytes);
      return v;
    }));
    FileEntry& root = list.Lookup(ROOT_ENTRY_ID);
    root.id = ROOT_ENTRY_ID;
    root.isFolder = true;
    root.driveLetter = u'C';
    FileEntry& docs = list.Lookup(7);
    docs.id = 7;
    docs.name = u"Docs";
    docs.isFolder = true;
    docs.driveLetter = u'C';
    root.children.push_back(7);
  }
  std::vector<const FileEntry*> childrenOf(std::uint64_t id) {
    std::vector<const FileEntry*> out;
    for (std::uint64_t c : list.Lookup(id).children) out.push_back(list.Find(c));
    return out;
  }
  std::vector<std::u16string> folders;
  std::map<std::u16string, std::string> files;
  DriveFileList list;
};

TEST_F(RecycleBinTest, AnsiRecordsNameTheKeptFileAndListItInItsFormerFolder) {
  folders = {u"Docs", u"Recycled"};
  files[u"Recycled\\INFO2"] = info2(280, {{u"C:\\Docs\\a.txt", 5, 2}, {u"C:\\Docs\\报告.doc", 6, 2},
                                           {u"C:\\Gone\\lost.txt", 7, 2}, {u"C:\\vanished.txt", 8, 2}});
  files[u"Recycled\\Dc5.txt"] = "kept a";
  files[u"Recycled\\Dc6.doc"] = "kept report";
  files[u"Recycled\\Dc7.txt"] = "folder not in the list";
  ASSERT_TRUE(ListRecycleBin(u"C:", list));
  auto docs = childrenOf(7);
  ASSERT_EQ(docs.size(), 2u);
  EXPECT_EQ(docs[0]->name, u"a.txt");
  EXPECT_EQ(docs[0]->id, FIRST_RECYCLE_BIN_ENTRY_ID);
  EXPECT_EQ(docs[0]->size, 6u);
  EXPECT_EQ(docs[0]->kind, ENTRY_KIND_RECYCLE_BIN);
  EXPECT_EQ(docs[0]->recoveryChance, CHANCE_EXCELLENT);
  EXPECT_TRUE(docs[0]->deleted);
  EXPECT_EQ(docs[0]->parentId, 7u);
  EXPECT_EQ(docs[0]->handle, 0u);
  EXPECT_EQ(docs[0]->recycleBinPath, u"C:\\Recycled\\Dc5.txt");
  EXPECT_NE(docs[0]->dosDate, 0) << "the kept file's last write time";
  EXPECT_EQ(docs[1]->name, u"报告.doc") << "converted from the ANSI code page";
  EXPECT_TRUE(list.Lookup(7).hasSubfolders);
  EXPECT_EQ(childrenOf(ROOT_ENTRY_ID).size(), 1u) << "the vanished kept file adds nothing";
}

TEST_F(RecycleBinTest, UnicodeRecordsAndDeletedFoldersWithTheirContents) {
  folders = {u"Docs", u"Recycler", u"Recycler\\S-1-5-21", u"Recycler\\S-1-5-21\\Dc1", u"Recycler\\.skip",
             u"Recycler\\S-1-5-21\\Dc1\\inner"};
  files[u"Recycler\\S-1-5-21\\INFO2"] = info2(800, {{u"C:\\Docs\\照片集", 1, 2}, {u"C:\\b.bin", 2, 2}});
  files[u"Recycler\\S-1-5-21\\Dc1\\one.jpg"] = "1";
  files[u"Recycler\\S-1-5-21\\Dc1\\.hidden"] = "h";
  files[u"Recycler\\S-1-5-21\\Dc1\\inner\\two.jpg"] = "22";
  files[u"Recycler\\S-1-5-21\\Dc2.bin"] = "bb";
  files[u"Recycler\\.skip\\INFO2"] = info2(800, {{u"C:\\c.bin", 3, 2}});
  files[u"Recycler\\.skip\\Dc3.bin"] = "c";
  ASSERT_TRUE(ListRecycleBin(u"C:", list));
  auto docs = childrenOf(7);
  ASSERT_EQ(docs.size(), 1u);
  const FileEntry* album = docs[0];
  EXPECT_EQ(album->name, u"照片集");
  EXPECT_TRUE(album->isFolder);
  EXPECT_EQ(album->size, 0u);
  auto inside = childrenOf(album->id);
  ASSERT_EQ(inside.size(), 2u) << "names beginning with a dot are passed over";
  std::vector<std::u16string> names{inside[0]->name.str(), inside[1]->name.str()};
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"inner", u"one.jpg"}));
  for (const FileEntry* e : inside) {
    EXPECT_TRUE(e->deleted);
    EXPECT_EQ(e->recoveryChance, CHANCE_EXCELLENT);
    EXPECT_EQ(e->parentId, album->id);
  }
  auto root = childrenOf(ROOT_ENTRY_ID);
  ASSERT_EQ(root.size(), 2u) << "b.bin from the listed folder; nothing from the dotted one";
  EXPECT_EQ(root[1]->name, u"b.bin");
  std::set<std::uint64_t> ids;
  for (const FileEntry& e : list) ids.insert(e.id);
  EXPECT_EQ(ids.size(), list.size());
  EXPECT_EQ(list.size(), 2u + 5u) << "root, Docs and five recycle entries, each under its own id";
}

TEST_F(RecycleBinTest, UnknownRecordSizesListNothing) {
  folders = {u"Docs", u"Recycled"};
  files[u"Recycled\\INFO2"] = info2(300, {{u"C:\\Docs\\a.txt", 5, 2}});
  files[u"Recycled\\Dc5.txt"] = "kept";
  std::uint64_t id = FIRST_RECYCLE_BIN_ENTRY_ID;
  EXPECT_FALSE(ReadInfo2(u"C:\\Recycled", list, id));
  EXPECT_FALSE(ReadInfo2(u"C:\\Nowhere", list, id));
  EXPECT_TRUE(list.Lookup(7).children.empty());
}

TEST_F(RecycleBinTest, ATruncatedLastRecordIsLeftOut) {
  folders = {u"Docs", u"Recycled"};
  std::string truncated = info2(280, {{u"C:\\Docs\\a.txt", 5, 2}, {u"C:\\Docs\\b.txt", 6, 2}});
  files[u"Recycled\\INFO2"] = truncated.substr(0, truncated.size() - 10);
  files[u"Recycled\\Dc5.txt"] = "kept";
  files[u"Recycled\\Dc6.txt"] = "kept too";
  std::uint64_t id = FIRST_RECYCLE_BIN_ENTRY_ID;
  EXPECT_TRUE(ReadInfo2(u"C:\\Recycled", list, id));
  EXPECT_EQ(list.Lookup(7).children.size(), 1u);
}

TEST(Info2Records, HostileDriveNumbersNeverMakeAPathSeparator) {
  Info2Record r{u"C:\\x\\a.txt", 5, 0xFFFFFFCEu};  // 'a' minus 50 would be '/'
  std::u16string kept = keptItemPath(u"C:\\Recycled", r);
  EXPECT_EQ(kept.substr(0, 13), u"C:\\Recycled\\D");
  EXPECT_EQ(kept.find(u'/'), std::u16string::npos);
  EXPECT_EQ(keptItemPath(u"C:\\Recycled", Info2Record{u"C:\\Docs\\a.txt", 5, 2}), u"C:\\Recycled\\Dc5.txt");
  std::vector<std::uint8_t> shortRecord(100, 0);
  EXPECT_FALSE(parseInfo2Record(shortRecord, 280).has_value());
}

}  // namespace
}  // namespace tarvosk::test
