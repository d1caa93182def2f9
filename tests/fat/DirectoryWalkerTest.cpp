// The directory walker on hand-built folders: where folders end, damaged and hostile folder
// data, long names across clusters, and the file handles it issues.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

#include "FatWalk.h"
#include "fat/DirectoryEntry.h"
#include "fat/DirectoryWalker.h"
#include "fat/FatFileRecord.h"
#include "fat/FatVolume.h"
#include "support/CapturedLog.h"
#include "support/FatImagesTest.h"

namespace tarvosk::test {
namespace {

constexpr std::uint8_t kFolder = 0x10;
constexpr std::uint8_t kFile = 0x20;

class DirectoryWalkerTest : public FatImagesTest {
 protected:
  // FAT16, 512-byte clusters (16 slots each), a fixed root of 512 slots.
  static FatImageLayout layout() {
    FatImageLayout l;
    l.fatBits = 16;
    l.clusterCount = 5000;
    return l;
  }
  DWORD open(FatImageBuilder& b, const AttachOptions& options = {}) {
    std::u16string drive;
    if (options.badSectors.empty()) {
      drive = attachBuilt(b);
    } else {
      b.write(scratch_.file("bad.img"));
      AttachResult r;
      EXPECT_TRUE(attachImage(scratch_.file("bad.img"), options, &r));
      drive = std::u16string{r.letters.at(0), u':'};
    }
    DWORD h = openVolume(drive);
    EXPECT_NE(h, INVALID_LAYER_HANDLE);
    return h;
  }
  // Walks the root and returns the folder entry named name, its handle left open.
  DWORD openChild(DWORD volume, const std::u16string& name) {
    DWORD root = 0;
    EXPECT_EQ(FAT_OpenRootDirectory(volume, &root), 0u);
    FatFileInfo info{};
    DWORD found = 0;
    while (FAT_GetNextFile(root, &info) == 0) {
      if (info.name == name) found = info.handle;
      else FAT_CloseHandle(info.handle);
    }
    FAT_CloseHandle(root);
    return found;
  }
  static std::vector<std::uint8_t> files(int count, int from = 0) {
    std::vector<std::uint8_t> all;
    for (int i = 0; i < count; ++i) {
      char name[12];
      std::snprintf(name, sizeof name, "F%07dTXT", from + i);
      auto e = shortEntry(name, kFile, 0, 10);
      all.insert(all.end(), e.begin(), e.end());
    }
    return all;
  }
  // The same entries as a removed folder holds them: each marked deleted.
  static std::vector<std::uint8_t> deletedFiles(int count, int from = 0) {
    std::vector<std::uint8_t> all = files(count, from);
    for (std::size_t i = 0; i < all.size(); i += 32) all[i] = 0xE5;
    return all;
  }
  // A file entry with a long name: its fragments (last part first, each carrying the checksum of
  // the short entry) and then the short entry short11; deleted marks every slot deleted.
  static std::vector<std::uint8_t> longNamed(const std::u16string& name, const std::string& short11, bool deleted) {
    std::vector<std::uint8_t> entry = shortEntry(short11, kFile, 20, 100);
    const std::uint8_t checksum = shortNameChecksum(ByteSpan(entry));
    const std::size_t parts = (name.size() + 12) / 13;
    std::vector<std::uint8_t> all;
    for (std::size_t part = parts; part >= 1; --part) {
      auto f = longNameFragment(static_cast<std::uint8_t>(part | (part == parts ? 0x40 : 0)),
                                name.substr((part - 1) * 13, 13));
      f[13] = checksum;
      if (deleted) f[0] = 0xE5;
      all.insert(all.end(), f.begin(), f.end());
    }
    if (deleted) entry[0] = 0xE5;
    all.insert(all.end(), entry.begin(), entry.end());
    return all;
  }
};

TEST_F(DirectoryWalkerTest, AFullFixedRootEndsWithNoMoreEntries) {
  FatImageBuilder b(layout());
  b.putRootDirectory(files(512));
  DWORD root = 0;
  ASSERT_EQ(FAT_OpenRootDirectory(open(b), &root), 0u);
  DWORD end = 0;
  auto entries = walkFolder(root, end);
  EXPECT_EQ(entries.size(), 512u);
  EXPECT_EQ(end, 2u);
  EXPECT_EQ(entries.back().name, u"F0000511.TXT");
  FAT_CloseHandle(root);
}

TEST_F(DirectoryWalkerTest, AFullLastClusterOfALiveFolderEndsWithNoMoreEntries) {
  FatImageBuilder b(layout());
  b.putRootDirectory(shortEntry("SUB", kFolder, 10, 0));
  b.setChain(10, 2, 0xFFFF);
  b.putCluster(10, concat({dotEntries(10, 0), files(14)}));
  b.putCluster(11, files(16, 14));
  DWORD volume = open(b);
  DWORD sub = openChild(volume, u"SUB");
  ASSERT_NE(sub, 0u);
  DWORD end = 0;
  auto entries = walkFolder(sub, end);
  EXPECT_EQ(entries.size(), 32u);
  EXPECT_EQ(end, 2u) << "the entry index reaching the end-of-chain value is the end of the folder";
  FAT_CloseHandle(sub);
}

TEST_F(DirectoryWalkerTest, LongNameFragmentsRunningPastTheFolderEndTheFolder) {
  FatImageBuilder b(layout());
  // The root's last three slots are fragments with no short entry after them.
  std::vector<std::uint8_t> rootBytes = files(509);
  for (int i = 0; i < 3; ++i) {
    auto f = longNameFragment(static_cast<std::uint8_t>(0x43 - i), u"fragmentxxxxx");
    rootBytes.insert(rootBytes.end(), f.begin(), f.end());
  }
  b.putRootDirectory(rootBytes);
  // A one-cluster folder that ends in fragments.
  std::vector<std::uint8_t> sub = concat({dotEntries(10, 0), files(10)});
  for (int i = 0; i < 4; ++i) {
    auto f = longNameFragment(static_cast<std::uint8_t>(0x44 - i), u"yyyyyyyyyyyyy");
    sub.insert(sub.end(), f.begin(), f.end());
  }
  b.putCluster(10, sub);
  b.setEntry(10, 0xFFFF);
  // SUB is the last live entry in the root walk: put it over the first file slot.
  b.put(b.rootDirSector() * 512, shortEntry("SUB", kFolder, 10, 0));
  DWORD volume = open(b);
  DWORD root = 0;
  ASSERT_EQ(FAT_OpenRootDirectory(volume, &root), 0u);
  DWORD end = 0;
  auto rootEntries = walkFolder(root, end);
  EXPECT_EQ(rootEntries.size(), 509u);
  EXPECT_EQ(end, 2u);
  FAT_CloseHandle(root);
  DWORD folder = openChild(volume, u"SUB");
  ASSERT_NE(folder, 0u);
  auto subEntries = walkFolder(folder, end);
  EXPECT_EQ(subEntries.size(), 12u);
  EXPECT_EQ(end, 2u);
  FAT_CloseHandle(folder);
}

TEST_F(DirectoryWalkerTest, ALongNameMayCrossIntoTheNextCluster) {
  FatImageBuilder b(layout());
  b.putRootDirectory(shortEntry("SUB", kFolder, 10, 0));
  b.setChain(10, 2, 0xFFFF);
  std::vector<std::uint8_t> first = concat({dotEntries(10, 0), files(12)});
  auto f2 = longNameFragment(0x42, u"cluster.txt");
  auto f1 = longNameFragment(0x01, u"a name across");
  first.insert(first.end(), f2.begin(), f2.end());
  first.insert(first.end(), f1.begin(), f1.end());
  b.putCluster(10, first);
  b.putCluster(11, shortEntry("ANAMEA~1TXT", kFile, 0, 3));
  DWORD folder = openChild(open(b), u"SUB");
  DWORD end = 0;
  auto entries = walkFolder(folder, end);
  ASSERT_EQ(entries.size(), 15u);
  EXPECT_EQ(entries.back().name, u"a name acrosscluster.txt");
  EXPECT_EQ(end, 2u);
  FAT_CloseHandle(folder);
}

TEST_F(DirectoryWalkerTest, SeventeenFragmentsAreDroppedAndTheShortNameStands) {
  FatImageBuilder b(layout());
  std::vector<std::uint8_t> root;
  for (int i = 0; i < 17; ++i) {
    auto f = longNameFragment(static_cast<std::uint8_t>(17 - i), u"abcdefghijklm");
    root.insert(root.end(), f.begin(), f.end());
  }
  auto e = shortEntry("LONGLO~1TXT", kFile, 0, 1);
  root.insert(root.end(), e.begin(), e.end());
  b.putRootDirectory(root);
  DWORD root16 = 0;
  ASSERT_EQ(FAT_OpenRootDirectory(open(b), &root16), 0u);
  DWORD end = 0;
  auto entries = walkFolder(root16, end);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, u"LONGLO~1.TXT");
  FAT_CloseHandle(root16);
}

TEST_F(DirectoryWalkerTest, FoldersWithoutDotAndDotDotAreDamaged) {
  FatImageBuilder b(layout());
  b.putRootDirectory(concat({shortEntry("NODOT", kFolder, 10, 0), shortEntry("NODOTDOT", kFolder, 11, 0)}));
  b.setEntry(10, 0xFFFF);
  b.setEntry(11, 0xFFFF);
  b.putCluster(10, files(3));
  b.putCluster(11, concat({shortEntry(".", kFolder, 11, 0), files(3)}));
  DWORD volume = open(b);
  CapturedLog log;
  DWORD end = 0;
  DWORD noDot = openChild(volume, u"NODOT");
  EXPECT_TRUE(walkFolder(noDot, end).empty());
  EXPECT_EQ(end, 1u);
  EXPECT_TRUE(log.contains(" FAT ERROR  FAT_GetNextFile(): first entry of a folder must be \".\"\r\n"));
  DWORD noDotDot = openChild(volume, u"NODOTDOT");
  EXPECT_EQ(walkFolder(noDotDot, end).size(), 1u);
  EXPECT_EQ(end, 1u);
  EXPECT_TRUE(log.contains(" FAT ERROR  FAT_GetNextFile(): second entry of a folder dir must be \"..\"\r\n"));
  FAT_CloseHandle(noDot);
  FAT_CloseHandle(noDotDot);
}

TEST_F(DirectoryWalkerTest, ADeletedFolderEndsAtItsFirstClusterOrAtForeignData) {
  FatImageBuilder b(layout());
  b.putRootDirectory(concat({shortEntry("\xE5GONE", kFolder, 10, 0), shortEntry("\xE5TAKEN", kFolder, 12, 0)}));
  // GONE's cluster is free and full: its walk returns its entries (all deleted) and ends with 4
  // at the end of its one cluster.
  b.putCluster(10, concat({dotEntries(10, 0), shortEntry("\xE5" "ILE1   TXT", kFile, 0, 5), files(13)}));
  // TAKEN's cluster is free but now holds other data after two good entries.
  std::vector<std::uint8_t> junk = concat({dotEntries(12, 0), shortEntry("GOOD    TXT", kFile, 0, 1)});
  std::vector<std::uint8_t> bad(32, 0);
  std::copy_n("AB*?<>|\"   ", 11, bad.begin());
  junk.insert(junk.end(), bad.begin(), bad.end());
  b.putCluster(12, junk);
  DWORD volume = open(b);
  CapturedLog log;
  DWORD end = 0;
  DWORD gone = openChild(volume, u"\u00E5GONE");
  ASSERT_NE(gone, 0u);
  auto entries = walkFolder(gone, end);
  ASSERT_EQ(entries.size(), 16u);
  for (const auto& e : entries) EXPECT_TRUE(e.deleted) << "everything in a deleted folder is deleted";
  EXPECT_EQ(entries[2].name, u"\u00E5ILE1.TXT");
  EXPECT_EQ(end, 4u);
  EXPECT_TRUE(log.contains("FAT_GetNextFile(): cluster=1 greater than a root dir cluster size"));
  DWORD taken = openChild(volume, u"\u00E5TAKEN");
  ASSERT_NE(taken, 0u);
  EXPECT_EQ(walkFolder(taken, end).size(), 3u);
  EXPECT_EQ(end, 1u);
  EXPECT_TRUE(log.contains(" FAT WARNING  FAT_GetNextFile(): 3 is not a valid entry\r\n"));
  FAT_CloseHandle(gone);
  FAT_CloseHandle(taken);
}

// A removed folder whose first cluster is full: the cluster after it is taken as more of the
// folder only when it is free and every slot up to the folder's end reads as an entry of it.
TEST_F(DirectoryWalkerTest, ADeletedFolderGoesOnIntoTheNextClusterOnlyWhereItReadsAsMoreOfIt) {
  std::mt19937 random(24);
  std::vector<std::uint8_t> noise(512);
  for (auto& byte : noise) byte = static_cast<std::uint8_t>(random());
  const auto full = concat({dotEntries(0, 0), deletedFiles(14)});
  std::vector<std::uint8_t> endsInFragments = concat({dotEntries(0, 0), deletedFiles(12)});
  const auto crossing = longNamed(u"a name across clusters.txt", "ANAMEA~1TXT", true);
  endsInFragments.insert(endsInFragments.end(), crossing.begin(), crossing.begin() + 64);
  auto wrongChecksum = longNamed(u"other name.txt", "OTHERN~1TXT", false);
  wrongChecksum[13] ^= 1;
  // The fragments of a deleted entry whose lost first byte would have to be "*".
  const auto impossibleFirstByte = longNamed(u"star name.txt", "*TARNA~1TXT", true);
  // A fragment's cluster field (offset 26) is always 0.
  auto clusterInFragment = longNamed(u"odd.txt", "ODD     TXT", true);
  clusterInFragment[26] = 5;
  struct Case {
    const char* what;
    std::vector<std::uint8_t> first, next;  // the folder's first cluster and the one after it
    std::uint32_t nextEntry;                // the FAT entry of the one after
    std::size_t entries;                    // returned, "." and ".." included
    const char* endsBecause;                // part of the rule the log names; null: the folder goes on
    std::u16string lastName = {};           // the name of the last entry, where it matters
  };
  const std::vector<Case> cases = {
      {"more deleted entries, then the end", full, deletedFiles(3, 14), 0, 19, nullptr},
      {"a long name that crosses into it", endsInFragments, {crossing.begin() + 64, crossing.end()}, 0, 15, nullptr,
       u"a name across clusters.txt"},
      {"live-looking entries and a long name", full,
       concat({files(2, 20), longNamed(u"still here.txt", "STILLH~1TXT", false)}), 0, 19, nullptr},
      {"zeros", full, {}, 0, 16, "an end-of-folder slot"},
      {"another folder's first cluster", full, concat({dotEntries(0, 0), deletedFiles(3)}), 0, 16,
       "\"..\" of another folder"},
      {"random bytes", full, noise, 0, 16, ""},  // whichever rule comes first
      {"a character no short name holds", full, shortEntry("\xE5" "AD*NAMETXT", kFile, 0, 1), 0, 16,
       "no name characters"},
      {"entries in a cluster that is in use", full, deletedFiles(3, 14), 0xFFFF, 16, "not free"},
      {"a start cluster beyond the volume", full, shortEntry("\xE5" "EYOND  TXT", kFile, 6000, 10), 0, 16,
       "start cluster"},
      {"a folder without a cluster", full, shortEntry("\xE5" "UBDIR", kFolder, 0, 0), 0, 16, "start cluster"},
      {"a volume label", full, shortEntry("LABEL", 0x08, 0, 0), 0, 16, "attribute bits"},
      {"a size beyond the volume", full, shortEntry("\xE5" "IG     BIN", kFile, 20, 0xFFFFFF00u), 0, 16, "size"},
      {"a fragment with a cluster field", full, clusterInFragment, 0, 16, "fragment is malformed"},
      {"fragments of another name", full, wrongChecksum, 0, 16, "checksum"},
      {"a deleted entry no checksum fits", full, impossibleFirstByte, 0, 16, "checksum"},
  };
  // Case i: a deleted folder CASEnn in the root (nn = i) whose first cluster is 10 + 3i.
  auto caseName = [](std::size_t i) {
    return std::string("CASE") + static_cast<char>('0' + i / 10) + static_cast<char>('0' + i % 10);
  };
  FatImageBuilder b(layout());
  std::vector<std::uint8_t> root;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const auto first = static_cast<std::uint32_t>(10 + 3 * i);
    auto entry = shortEntry("\xE5" + caseName(i), kFolder, first, 0);
    root.insert(root.end(), entry.begin(), entry.end());
    std::vector<std::uint8_t> firstBytes = cases[i].first;
    putLe16(&firstBytes[26], static_cast<std::uint16_t>(first));
    b.putCluster(first, firstBytes);
    if (!cases[i].next.empty()) b.putCluster(first + 1, cases[i].next);
    if (cases[i].nextEntry) b.setEntry(first + 1, cases[i].nextEntry);
  }
  b.putRootDirectory(root);
  const DWORD volume = open(b);
  CapturedLog log;
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(cases[i].what);
    const std::string name = caseName(i);
    const DWORD folder = openChild(volume, u"\u00E5" + std::u16string(name.begin(), name.end()));
    ASSERT_NE(folder, 0u);
    DWORD end = 0;
    const auto entries = walkFolder(folder, end);
    EXPECT_EQ(entries.size(), cases[i].entries);
    const std::uint64_t first = 10 + 3 * i;
    const std::vector<std::uint64_t> expected =
        cases[i].endsBecause ? std::vector<std::uint64_t>{first} : std::vector<std::uint64_t>{first, first + 1};
    EXPECT_EQ(FAT_GetFileRecord(folder)->clusterList, expected);
    if (cases[i].endsBecause) {
      const std::string text = log.text();
      const std::size_t at = text.find("deleted folder ends before cluster " + std::to_string(first + 1));
      ASSERT_NE(at, std::string::npos);
      const std::string line = text.substr(at, text.find('\n', at) - at);
      EXPECT_NE(line.find(cases[i].endsBecause), std::string::npos) << line;
    }
    if (!cases[i].lastName.empty() && !entries.empty()) {
      EXPECT_EQ(entries.back().name, cases[i].lastName);
    }
    FAT_CloseHandle(folder);
  }
}

TEST_F(DirectoryWalkerTest, ADeletedFolderIsFollowedThroughNoMoreClustersThanHold65536Entries) {
  FatImageBuilder b(layout());
  b.putRootDirectory(shortEntry("\xE5HUGE", kFolder, 10, 0));
  b.putCluster(10, concat({dotEntries(10, 0), deletedFiles(14)}));
  // 512-byte clusters: 4096 of them hold 65,536 entries; more follow on disk.
  for (int c = 11; c < 10 + 4096 + 8; ++c) b.putCluster(static_cast<std::uint64_t>(c), deletedFiles(16, 16 * c));
  const DWORD volume = open(b);
  const DWORD folder = openChild(volume, u"\u00E5HUGE");
  ASSERT_NE(folder, 0u);
  DWORD end = 0;
  EXPECT_EQ(walkFolder(folder, end).size(), 65536u);
  EXPECT_EQ(end, 4u);
  EXPECT_EQ(FAT_GetFileRecord(folder)->clusterList.size(), 4096u);
  FAT_CloseHandle(folder);
}

TEST_F(DirectoryWalkerTest, AFolderClusterThatCannotBeReadIsDamaged) {
  FatImageLayout l = layout();
  FatImageBuilder b(l);
  b.putRootDirectory(shortEntry("SUB", kFolder, 10, 0));
  b.setEntry(10, 0xFFFF);
  b.putCluster(10, concat({dotEntries(10, 0), files(3)}));
  AttachOptions bad;
  bad.badSectors.push_back({b.firstDataSector() + 8, 1});
  DWORD folder = openChild(open(b, bad), u"SUB");
  ASSERT_NE(folder, 0u);
  CapturedLog log;
  DWORD end = 0;
  EXPECT_TRUE(walkFolder(folder, end).empty()) << "stale bytes of another folder must not be listed";
  EXPECT_EQ(end, 1u);
  EXPECT_TRUE(log.contains("FAT_GetNextFile(): cannot read cluster 10"));
  FAT_CloseHandle(folder);
}

TEST_F(DirectoryWalkerTest, UnknownHandlesGiveFour) {
  CapturedLog log;
  FatFileInfo info{};
  DWORD root = 0;
  EXPECT_EQ(FAT_GetNextFile(0xFFFFFFF0u, &info), 4u);
  EXPECT_EQ(FAT_CloseHandle(0xFFFFFFF0u), 4u);
  EXPECT_TRUE(log.contains(" FAT ERROR  FAT_CloseHandle(): cannot find file -16\r\n"));
  EXPECT_EQ(FAT_OpenRootDirectory(50, &root), 4u);
  EXPECT_EQ(FAT_OpenRootDirectory(3, &root), 4u);
}

TEST_F(DirectoryWalkerTest, HandlesKeepIncreasingAndAreNotReused) {
  FatImageBuilder b(layout());
  b.putRootDirectory(files(3));
  DWORD volume = open(b);
  DWORD first = 0, second = 0;
  ASSERT_EQ(FAT_OpenRootDirectory(volume, &first), 0u);
  FatFileInfo info{};
  ASSERT_EQ(FAT_GetNextFile(first, &info), 0u);
  EXPECT_EQ(info.handle, first + 1);
  ASSERT_EQ(FAT_CloseHandle(info.handle), 0u);
  EXPECT_EQ(FAT_CloseHandle(info.handle), 4u);
  ASSERT_EQ(FAT_OpenRootDirectory(volume, &second), 0u);
  EXPECT_EQ(second, first + 2) << "a closed handle's number is not issued again";
  FAT_CloseHandle(first);
  FAT_CloseHandle(second);
}

TEST_F(DirectoryWalkerTest, TheFirstHandleOfTheProcessIsOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  FatImageBuilder b(layout());
  b.putRootDirectory(files(1));
  DWORD volume = open(b);
  // A fresh process: no handle was issued before this one.
  EXPECT_EXIT(
      {
        DWORD root = 0;
        bool ok = FAT_OpenRootDirectory(volume, &root) == 0 && root == 1;
        std::exit(ok ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace tarvosk::test
