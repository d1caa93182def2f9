// The directory walker on real FAT12/16/32 volumes made by mkfs.fat and mtools, checked against
// what sleuthkit's fls and istat list on the same images.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "FatWalk.h"
#include "fat/FatVolume.h"
#include "platform/CodePage.h"
#include "support/FatImagesTest.h"
#include "support/FatOracle.h"

namespace tarvosk::test {
namespace {

// "fat32-s1.img" as a test name: fat32_s1_img.
std::string imageTestName(const ::testing::TestParamInfo<const char*>& param) {
  std::string n = param.param;
  std::replace(n.begin(), n.end(), '.', '_');
  std::replace(n.begin(), n.end(), '-', '_');
  return n;
}

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

class WalkerOnRealVolumes : public FatImagesTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    FatImagesTest::SetUp();
    drive_ = attachFatFixture(GetParam());
    oracle_ = readFatOracle(fixturePath(GetParam()));
    volume_ = openVolume(drive_);
    ASSERT_NE(volume_, INVALID_LAYER_HANDLE);
    walk_ = walkVolume(volume_);
  }

  const WalkedEntry* findRoot(const std::u16string& name) const {
    for (const auto& e : walk_.entries)
      if (e.parentIndex == -1 && e.name == name) return &e;
    return nullptr;
  }

  std::u16string drive_;
  FatOracle oracle_;
  DWORD volume_ = INVALID_LAYER_HANDLE;
  WalkResult walk_;
};

// Every entry fls lists is returned by the walker, in the same folder, with the same deleted
// mark, start cluster and size; and the walker returns nothing that fls does not know, apart
// from ".", ".." and the volume label.
TEST_P(WalkerOnRealVolumes, ReturnsEveryEntryThatSleuthkitLists) {
  std::map<std::string, const OracleEntry*> byPath;
  std::map<std::string, const OracleEntry*> byUpperPath;
  for (const auto& o : oracle_.entries) {
    byPath[o.path] = &o;
    byUpperPath[upper(o.path)] = &o;
  }
  std::vector<std::string> matchedPath(walk_.entries.size());
  std::set<const OracleEntry*> matched;
  for (std::size_t i = 0; i < walk_.entries.size(); ++i) {
    const WalkedEntry& e = walk_.entries[i];
    if (e.name == u"." || e.name == u".." || e.volumeLabel) continue;
    std::string prefix = e.parentIndex < 0 ? "" : matchedPath[static_cast<std::size_t>(e.parentIndex)] + "/";
    const OracleEntry* o = nullptr;
    if (e.longName) {
      auto it = byPath.find(prefix + utf16ToUtf8(e.name));
      if (it != byPath.end()) o = it->second;
    }
    if (!o) {
      // Sleuthkit shows an entry by its short name where it does not rebuild the long one.
      auto it = byUpperPath.find(upper(prefix + e.shortForm));
      if (it != byUpperPath.end()) o = it->second;
    }
    ASSERT_NE(o, nullptr) << GetParam() << ": walker entry \"" << utf16ToUtf8(e.name) << "\" in \"" << prefix
                          << "\" is not in fls's listing";
    matchedPath[i] = o->path;
    EXPECT_TRUE(matched.insert(o).second) << o->path << " returned twice";
    EXPECT_EQ(e.folder, o->folder) << o->path;
    EXPECT_EQ(e.deleted, o->deleted) << o->path;
    if (!o->folder) {
      EXPECT_EQ(e.size, o->size) << o->path;
    }
    std::vector<std::uint64_t> clusters = oracle_.clustersOf(*o);
    if (!clusters.empty()) {
      EXPECT_EQ(e.startCluster, clusters.front()) << o->path;
    } else {
      EXPECT_EQ(e.startCluster, 0u) << o->path;
    }
  }
  for (const auto& o : oracle_.entries)
    EXPECT_TRUE(matched.count(&o)) << GetParam() << ": fls lists \"" << o.path << "\" but the walker did not return it";
  EXPECT_GT(matched.size(), 160u);
}

TEST_P(WalkerOnRealVolumes, NamesShortEntriesAsTheSystemDoes) {
  const WalkedEntry* readme = findRoot(u"README.");
  ASSERT_NE(readme, nullptr) << "README without extension is returned with a trailing dot";
  EXPECT_FALSE(readme->folder);
  const WalkedEntry* dir = findRoot(u"DIR");
  ASSERT_NE(dir, nullptr) << "a folder's extension is dropped";
  EXPECT_TRUE(dir->folder);
  const WalkedEntry* test = findRoot(u"\u00E5EST.TXT");
  ASSERT_NE(test, nullptr) << "a deleted file without a long name loses its first letter to U+00E5";
  EXPECT_TRUE(test->deleted);
  EXPECT_EQ(test->clusterCount, 1u) << "a deleted file's list holds its start cluster only";
}

TEST_P(WalkerOnRealVolumes, RebuildsLongNamesOfLiveAndDeletedFiles) {
  for (const char16_t* name : {u"Long File Name Document.txt", u"中文文件名.txt", u"abcdefghij.tx"}) {
    const WalkedEntry* e = findRoot(name);
    ASSERT_NE(e, nullptr) << utf16ToUtf8(name);
    EXPECT_FALSE(e->deleted);
  }
  // U+5BFF ends in the byte 0xFF: only 0xFFFF is filler, so the name keeps its first character.
  ASSERT_NE(findRoot(u"寿司店菜单.txt"), nullptr);
  for (const char16_t* name : {u"Deleted Long Name.txt", u"已删除的文件.txt"}) {
    const WalkedEntry* e = findRoot(name);
    ASSERT_NE(e, nullptr) << "deleted under its whole long name: " << utf16ToUtf8(name);
    EXPECT_TRUE(e->deleted);
  }
}

TEST_P(WalkerOnRealVolumes, SubfoldersBeginWithDotAndDotDot) {
  long many = -1;
  for (std::size_t i = 0; i < walk_.entries.size(); ++i)
    if (walk_.entries[i].parentIndex == -1 && walk_.entries[i].name == u"Many") many = static_cast<long>(i);
  ASSERT_GE(many, 0);
  std::vector<const WalkedEntry*> children;
  for (const auto& e : walk_.entries)
    if (e.parentIndex == many) children.push_back(&e);
  ASSERT_GE(children.size(), 152u);
  EXPECT_EQ(children[0]->name, u".");
  EXPECT_TRUE(children[0]->folder);
  EXPECT_EQ(children[1]->name, u"..");
  EXPECT_TRUE(children[1]->folder);
  // The folder spans several clusters; all 150 files come back, one of them deleted.
  EXPECT_GT(walk_.entries[static_cast<std::size_t>(many)].clusterCount, 2u);
  std::size_t live = 0, deleted = 0;
  for (const auto* c : children) {
    if (c->name.rfind(u"file number ", 0) != 0) continue;
    (c->deleted ? deleted : live)++;
  }
  EXPECT_EQ(live, 149u);
  EXPECT_EQ(deleted, 1u);
}

TEST_P(WalkerOnRealVolumes, LiveFoldersEndWithNoMoreEntries) {
  // Live folders end with 2; deleted folders with 4 (past the end of their list), 1, or 2 where a
  // cluster after the first ends them.
  std::size_t noMore = std::count(walk_.folderEndCodes.begin(), walk_.folderEndCodes.end(), LAYER_NO_MORE);
  EXPECT_GE(noMore, 6u);  // root, DIR, Many, Projects, Alpha, Beta
  for (DWORD code : walk_.folderEndCodes) EXPECT_TRUE(code == 1 || code == 2 || code == 4) << code;
}

TEST_P(WalkerOnRealVolumes, LiveClusterListsFollowTheChainsIstatLists) {
  std::size_t compared = 0;
  for (const auto& o : oracle_.entries) {
    if (o.deleted || o.sectors.empty()) continue;
    std::vector<std::uint64_t> expected = oracle_.clustersOf(o);
    // The walked entry with that start cluster.
    const WalkedEntry* found = nullptr;
    for (const auto& e : walk_.entries)
      if (!e.deleted && e.startCluster == expected.front() && e.name != u"." && e.name != u"..") found = &e;
    ASSERT_NE(found, nullptr) << o.path;
    ASSERT_EQ(found->clusterList.size(), expected.size() + 1) << o.path;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), found->clusterList.begin())) << o.path;
    EXPECT_EQ(found->clusterCount, expected.size() + 1) << o.path;
    ++compared;
  }
  EXPECT_GT(compared, 150u);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WalkerOnRealVolumes,
                         ::testing::Values("fat12.img", "fat16.img", "fat16-s1.img", "fat32-s1.img", "fat32-s4.img"),
                         imageTestName);

// Folder trees written in one piece and removed whole with mdeltree (folders of 1, 2 and 5
// clusters, long and Chinese names, 512-byte to 32 KiB clusters; three folders fill their last
// cluster and are followed by another folder, random bytes and zeros). Each removed folder is
// followed through the clusters istat listed for it before the removal, no further, and every
// entry fls listed then comes back at its path.
class WalkerOnRemovedTrees : public FatImagesTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(WalkerOnRemovedTrees, FollowsEachRemovedFolderThroughTheClustersItHad) {
  const FatOracle before = readFatOracle(fixturePath(GetParam()) + ".before");
  const DWORD volume = openVolume(attachFatFixture(GetParam()));
  ASSERT_NE(volume, INVALID_LAYER_HANDLE);
  const WalkResult walk = walkVolume(volume);
  std::vector<std::string> paths(walk.entries.size());
  std::map<std::string, const WalkedEntry*> byPath;
  for (std::size_t i = 0; i < walk.entries.size(); ++i) {
    const WalkedEntry& e = walk.entries[i];
    if (e.name == u"." || e.name == u".." || e.volumeLabel) continue;
    paths[i] = (e.parentIndex < 0 ? "" : paths[static_cast<std::size_t>(e.parentIndex)] + "/") + utf16ToUtf8(e.name);
    byPath[paths[i]] = &e;
  }
  std::size_t folders = 0;
  for (const auto& o : before.entries) {
    auto it = byPath.find(o.path);
    ASSERT_NE(it, byPath.end()) << GetParam() << ": \"" << o.path << "\" was not returned";
    EXPECT_TRUE(it->second->deleted) << o.path;
    EXPECT_EQ(it->second->size, o.folder ? 0 : o.size) << o.path;
    if (!o.folder) continue;
    EXPECT_EQ(it->second->clusterList, before.clustersOf(o)) << GetParam() << ": " << o.path;
    ++folders;
  }
  EXPECT_EQ(folders, 10u);
  EXPECT_EQ(byPath.size(), before.entries.size()) << "entries beyond those of the removed trees";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, WalkerOnRemovedTrees,
                         ::testing::Values("removed-fat12.img", "removed-fat16.img", "removed-fat32.img"),
                         imageTestName);

}  // namespace
}  // namespace tarvosk::test
