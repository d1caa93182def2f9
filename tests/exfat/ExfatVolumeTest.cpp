// The exFAT reader on volumes made by mkfs.exfat and filled through exfat-fuse
// (build-exfat-fixtures.sh): cluster counts as dump.exfat gives them, every folder walked (deleted
// ones too) as sleuthkit's fls lists it, sets read again through their place, and patched copies
// for what no tool writes: a damaged main boot region, a chain that loops.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "exfat/ExfatClusterRuns.h"
#include "exfat/ExfatDirectoryWalker.h"
#include "exfat/ExfatVolume.h"
#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "scan/ScanListing.h"
#include "support/AttachedImages.h"
#include "support/CapturedLog.h"
#include "support/ExfatFixture.h"

namespace tarvosk::test {
namespace {

struct Walked {
  bool folder = false;
  bool deleted = false;
  std::uint64_t size = 0;
};

// Every set below dir as "folder/name", deleted folders walked too; each set read again through
// its place must be the set the walk gave.
void walk(DWORD volume, DWORD dir, const std::string& prefix, std::map<std::string, Walked>& out) {
  ExfatFileInfo info;
  while (EXFAT_GetNextFile(dir, &info) == LAYER_SUCCESS) {
    const std::string path = prefix + utf16ToUtf8(info.set.name);
    out[path] = {info.set.isFolder(), info.deleted != 0, info.set.dataLength};
    ExfatEntrySet again;
    EXPECT_EQ(EXFAT_ReadEntrySet(volume, info.setPosition, &again), LAYER_SUCCESS) << path;
    EXPECT_EQ(again.name, info.set.name);
    EXPECT_EQ(again.firstCluster, info.set.firstCluster) << path;
    if (info.set.isFolder()) walk(volume, info.handle, path + "/", out);
    EXFAT_CloseHandle(info.handle);
  }
}

class ExfatVolumeTest : public AttachedImagesTest {
 protected:
  DWORD open(const std::string& fixture) {
    attachFixture(fixture);
    return EXFAT_OpenDevice(u"C:");
  }
  DWORD openCopy(const ExfatImageCopy& copy) {
    copy.save();
    EXPECT_TRUE(attachImage(copy.path()));
    return EXFAT_OpenDevice(u"C:");
  }
};

class EveryExfatVolume : public ExfatVolumeTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(EveryExfatVolume, AgreesWithExfatprogsAndSleuthkit) {
  DWORD volume = open(GetParam());
  ASSERT_NE(volume, INVALID_LAYER_HANDLE);
  ExfatVolumeEntry& entry = *EXFAT_GetVolumeEntry(volume);
  EXPECT_EQ(entry.boot.clusterCount, exfatDumpCount(GetParam(), "Total Clusters"));
  std::uint64_t free = 0;
  ASSERT_EQ(EXFAT_CountFreeClusters(volume, 2, entry.boot.clusterCount, &free), LAYER_SUCCESS);
  EXPECT_EQ(free, exfatDumpCount(GetParam(), "Free Clusters"));
  EXPECT_EQ(utf16ToUtf8(entry.label), exfatDumpField(GetParam(), "Volume label"));
  EXPECT_TRUE(entry.upcase.loaded()) << "the up-case table's checksum holds";
  EXPECT_EQ(entry.backupBootRegion, 0);

  DWORD root = 0;
  ASSERT_EQ(EXFAT_OpenRootDirectory(volume, &root), LAYER_SUCCESS);
  std::map<std::string, Walked> walked;
  walk(volume, root, "", walked);
  EXFAT_CloseHandle(root);
  std::size_t compared = 0;
  for (const FlsEntry& f : readFls(fixturePath(GetParam()))) {
    // fls's own entries for the bitmap and the up-case table, and the sets it finds by reading
    // every cluster (folders the walk cannot reach), are not a folder's entries.
    if (f.path[0] == '$') continue;
    auto it = walked.find(f.path);
    ASSERT_NE(it, walked.end()) << f.path << " is not walked";
    EXPECT_EQ(it->second.folder, f.folder) << f.path;
    EXPECT_EQ(it->second.deleted, f.deleted) << f.path;
    if (!f.folder) {
      EXPECT_EQ(it->second.size, f.size) << f.path;
    }
    ++compared;
  }
  EXPECT_EQ(compared, walked.size()) << "the walk found sets that fls does not list";
}

INSTANTIATE_TEST_SUITE_P(MadeByMkfsExfat, EveryExfatVolume,
                         ::testing::Values("exfat-4k.img", "exfat-4k-reused.img", "exfat-512.img", "exfat-32k.img"));

TEST_F(ExfatVolumeTest, SetsThatCrossAClusterEndAreReadAgainWhole) {
  DWORD volume = open("exfat-512.img");
  ASSERT_NE(volume, INVALID_LAYER_HANDLE);
  DWORD root = 0;
  ASSERT_EQ(EXFAT_OpenRootDirectory(volume, &root), LAYER_SUCCESS);
  std::map<std::string, Walked> walked;
  walk(volume, root, "", walked);
  EXFAT_CloseHandle(root);
  EXPECT_GE(walked.size(), 60u);
  EXPECT_GE(EXFAT_GetVolumeEntry(volume)->setContinuations.size(), 5u) << "six-entry sets in 512-byte clusters";
}

TEST_F(ExfatVolumeTest, ADamagedMainBootRegionGivesWayToTheBackup) {
  ExfatImageCopy copy("exfat-4k.img");
  copy.bytes()[300] ^= 0xFF;  // boot code: the checksum no longer holds
  CapturedLog log;
  DWORD volume = openCopy(copy);
  ASSERT_NE(volume, INVALID_LAYER_HANDLE);
  EXPECT_EQ(EXFAT_GetVolumeEntry(volume)->backupBootRegion, 1);
  EXPECT_EQ(EXFAT_GetVolumeEntry(volume)->boot.clusterCount, 7680u);
  EXPECT_TRUE(log.contains("main boot region rejected: the boot checksum does not match")) << log.text();
  EXFAT_CloseDevice(volume);
  detachAll();
  copy.bytes()[12 * 512 + 300] ^= 0xFF;
  EXPECT_EQ(openCopy(copy), INVALID_LAYER_HANDLE) << "both regions damaged";
}

TEST_F(ExfatVolumeTest, AChainThatLoopsEndsWhereItComesBack) {
  ExfatImageCopy copy("exfat-4k.img");
  const std::size_t set = copy.setOffset(u"filler.bin");
  const std::uint32_t first = le32(copy.bytes(), set + 32 + 20);
  const std::uint32_t second = copy.fatEntry(first), third = copy.fatEntry(second);
  copy.setFatEntry(third, first);
  CapturedLog log;
  DWORD volume = openCopy(copy);
  ASSERT_NE(volume, INVALID_LAYER_HANDLE);
  std::vector<ExfatRun> runs;
  ASSERT_EQ(exfat::fileRuns(*EXFAT_GetVolumeEntry(volume), first, 40960, false, false, runs), LAYER_SUCCESS);
  EXPECT_EQ(exfat::clustersIn(runs), 3u) << "first, second, third, then back to first";
  EXPECT_TRUE(log.contains("loops back to cluster " + std::to_string(first))) << log.text();
}

TEST_F(ExfatVolumeTest, OpensNothingButExfat) {
  attachFixture("fat16.img");
  EXPECT_EQ(EXFAT_OpenDevice(u"C:"), INVALID_LAYER_HANDLE);
  EXPECT_EQ(EXFAT_OpenDevice(u"C"), INVALID_LAYER_HANDLE);
  EXPECT_EQ(EXFAT_OpenDevice(nullptr), INVALID_LAYER_HANDLE);
}

}  // namespace
}  // namespace tarvosk::test
