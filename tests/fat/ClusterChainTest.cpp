// Cluster chains: counting safely through loops and endless chains, reading successive entries,
// and the cluster lists of live and deleted entries.
#include <gtest/gtest.h>

#include <vector>

#include "fat/ClusterChain.h"
#include "fat/FatVolume.h"
#include "support/CapturedLog.h"
#include "support/FatImagesTest.h"

namespace tarvosk::test {
namespace {

class ClusterChainTest : public FatImagesTest {
 protected:
  DWORD openBuilt(FatImageBuilder& b) {
    DWORD h = openVolume(attachBuilt(b));
    EXPECT_NE(h, INVALID_LAYER_HANDLE);
    return h;
  }
  static FatImageLayout fat16() {
    FatImageLayout l;
    l.fatBits = 16;
    l.clusterCount = 20000;
    return l;
  }
  static FatImageLayout fat32(std::uint32_t clusters) {
    FatImageLayout l;
    l.fatBits = 32;
    l.clusterCount = clusters;
    l.rootEntryCount = 0;
    l.reservedSectors = 32;
    return l;
  }
  FatFileRecord record(DWORD volume, std::uint64_t start, bool deleted, bool folder) {
    FatFileRecord r;
    r.volumeHandle = volume;
    r.startCluster = start;
    r.deleted = deleted ? 1 : 0;
    r.folder = folder ? 1 : 0;
    return r;
  }
};

TEST_F(ClusterChainTest, CountsAndFollowsAPlainChain) {
  FatImageBuilder b(fat16());
  b.setEntry(10, 11);
  b.setEntry(11, 500);
  b.setEntry(500, 0xFFFF);
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 10, &n), 0u);
  EXPECT_EQ(n, 3u);
  std::vector<std::uint64_t> chain(5, 0x77);
  ASSERT_EQ(FAT_GetClusterChain(h, 10, chain.data(), n), 0u);
  EXPECT_EQ(chain, (std::vector<std::uint64_t>{11, 500, 0xFFFF, 0x77, 0x77})) << "nothing beyond the count is touched";
  FatFileRecord r = record(h, 10, false, false);
  ASSERT_EQ(__PopulateClusterChain(r), 0u);
  EXPECT_EQ(r.clusterList, (std::vector<std::uint64_t>{10, 11, 500, 0xFFFF}));
}

TEST_F(ClusterChainTest, AStartWhoseEntryEndsTheChainCountsOne) {
  FatImageBuilder b(fat16());
  b.setEntry(40, 0xFFF8);
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 40, &n), 0u);
  EXPECT_EQ(n, 1u);
  FatFileRecord r = record(h, 40, false, false);
  ASSERT_EQ(__PopulateClusterChain(r), 0u);
  EXPECT_EQ(r.clusterList, (std::vector<std::uint64_t>{40, 0xFFF8}));
}

TEST_F(ClusterChainTest, LoopsEndTheCount) {
  FatImageBuilder b(fat16());
  b.setEntry(20, 21);
  b.setEntry(21, 21);  // points at itself
  b.setEntry(30, 31);
  b.setEntry(31, 30);  // back to the start
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 20, &n), 0u);
  EXPECT_EQ(n, 2u);
  FatFileRecord self = record(h, 20, false, false);
  __PopulateClusterChain(self);
  EXPECT_EQ(self.clusterList, (std::vector<std::uint64_t>{20, 21, 21}));
  ASSERT_EQ(FAT_GetClusterChainSize(h, 30, &n), 0u);
  EXPECT_EQ(n, 3u) << "the start is not in the set: the loop back to it is seen one step later";
}

TEST_F(ClusterChainTest, AChainOf100000ClustersIsFollowedWhole) {
  FatImageBuilder b(fat32(120000));
  b.setChain(3, 100000, 0x0FFFFFFF);
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 3, &n), 0u);
  EXPECT_EQ(n, 100000u);
  FatFileRecord r = record(h, 3, false, false);
  ASSERT_EQ(__PopulateClusterChain(r), 0u);
  ASSERT_EQ(r.clusterList.size(), 100001u);
  EXPECT_EQ(r.clusterList[99999], 100002u);
  EXPECT_EQ(r.clusterList.back(), 0x0FFFFFFFu);
}

TEST_F(ClusterChainTest, AChainOf100001ClustersLeavesTheListEmpty) {
  FatImageBuilder b(fat32(120000));
  b.setChain(3, 100001, 0x0FFFFFFF);
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 3, &n), 0u);
  EXPECT_EQ(n, 100001u);
  CapturedLog log;
  FatFileRecord r = record(h, 3, false, false);
  EXPECT_EQ(__PopulateClusterChain(r), 1u);
  EXPECT_TRUE(r.clusterList.empty());
  EXPECT_TRUE(log.contains(" FAT ERROR  __PopulateClusterChain(): FAT_GetClusterChainSize() returned 100001 > MAX_CLUSTER_CHAIN_SIZE\r\n"));
}

TEST_F(ClusterChainTest, AnEndlessChainStopsAt100001) {
  FatImageBuilder b(fat32(120000));
  b.setChain(3, 110000, 0x0FFFFFFF);
  b.setEntry(110002, 3);  // the last cluster leads back to the first: a loop of 110,000
  DWORD h = openBuilt(b);
  DWORD n = 0;
  ASSERT_EQ(FAT_GetClusterChainSize(h, 3, &n), 0u);
  EXPECT_EQ(n, 100001u);
}

TEST_F(ClusterChainTest, DeletedEntriesAreNotFollowedThroughTheFat) {
  FatImageBuilder b(fat16());
  b.setEntry(50, 51);  // a deleted file's entry that another file took since
  b.setEntry(51, 0xFFFF);
  b.setEntry(60, 0xFFFF);  // a deleted folder's first cluster, reused
  DWORD h = openBuilt(b);
  FatFileRecord file = record(h, 50, true, false);
  EXPECT_EQ(__PopulateClusterChain(file), 0u);
  EXPECT_EQ(file.clusterList, (std::vector<std::uint64_t>{50}));
  FatFileRecord freeFolder = record(h, 70, true, true);
  EXPECT_EQ(__PopulateClusterChain(freeFolder), 0u);
  EXPECT_EQ(freeFolder.clusterList, (std::vector<std::uint64_t>{70}));
  CapturedLog log;
  FatFileRecord reused = record(h, 60, true, true);
  EXPECT_EQ(__PopulateClusterChain(reused), 1u);
  EXPECT_TRUE(reused.clusterList.empty());
  EXPECT_TRUE(log.contains(" FAT WARNING  __PopulateClusterChain(): ClusterChain[0] must be zero for deleted files\r\n"));
}

TEST_F(ClusterChainTest, AFailedLookupKeepsTheCountSoFar) {
  FatImageLayout l = fat16();
  FatImageBuilder b(l);
  b.setEntry(10, 11);
  b.setEntry(11, 19000);  // its entry lies in a failing FAT sector
  b.setEntry(19000, 0xFFFF);
  std::u16string drive = attachBuilt(b);
  (void)drive;
  // Attach the same image again with the FAT sector of cluster 19000 failing.
  AttachOptions bad;
  const std::uint64_t failing = l.reservedSectors + 19000 * 2 / 512;
  bad.badSectors.push_back({failing, 1});
  AttachResult r;
  ASSERT_TRUE(attachImage(scratch_.file("built.img"), bad, &r));
  DWORD h = openVolume(std::u16string{r.letters.at(0), u':'});
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  CapturedLog log;
  DWORD n = 0;
  EXPECT_EQ(FAT_GetClusterChainSize(h, 10, &n), 1u);
  EXPECT_EQ(n, 2u);
  EXPECT_TRUE(log.contains("__GetClusterEntryInFAT() failed"));
  std::vector<std::uint64_t> chain(3);
  EXPECT_EQ(FAT_GetClusterChain(h, 10, chain.data(), 3), 1u);
  EXPECT_EQ(chain[0], 11u);
  EXPECT_EQ(chain[1], 19000u);
}

TEST_F(ClusterChainTest, BadHandlesGiveFour) {
  DWORD n = 5;
  std::uint64_t chain[2] = {};
  EXPECT_EQ(FAT_GetClusterChainSize(50, 2, &n), 4u);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(FAT_GetClusterChain(50, 2, chain, 2), 4u);
  EXPECT_EQ(FAT_GetClusterChain(3, 2, chain, 2), 4u);
}

}  // namespace
}  // namespace tarvosk::test
