// Recognising file systems from hand-built boot sectors at the cluster-count thresholds.
#include <gtest/gtest.h>

#include "platform/ByteOrder.h"
#include "platform/VolumeProbe.h"

namespace tarvosk {
namespace {

// A FAT boot sector with one sector per cluster, one reserved sector, one FAT and no root
// folder, whose data area holds exactly the given number of clusters.
std::vector<std::uint8_t> fatBootSector(std::uint32_t clusters, std::uint16_t bytesPerSector = 512) {
  std::vector<std::uint8_t> s(512, 0);
  s[0] = 0xEB;
  s[1] = 0x58;
  s[2] = 0x90;
  putLe16(&s[0x0B], bytesPerSector);
  s[0x0D] = 1;
  putLe16(&s[0x0E], 1);
  s[0x10] = 1;
  const std::uint32_t fatSectors = 100;
  putLe32(&s[0x24], fatSectors);
  putLe32(&s[0x20], 1 + fatSectors + clusters);
  s[510] = 0x55;
  s[511] = 0xAA;
  return s;
}

TEST(VolumeProbe, ClusterCountsDecideTheFatKindAtTheirThresholds) {
  EXPECT_EQ(probeFileSystem(fatBootSector(4084)), FileSystemKind::Fat12);
  EXPECT_EQ(probeFileSystem(fatBootSector(4085)), FileSystemKind::Fat16);
  EXPECT_EQ(probeFileSystem(fatBootSector(65524)), FileSystemKind::Fat16);
  EXPECT_EQ(probeFileSystem(fatBootSector(65525)), FileSystemKind::Fat32);
}

TEST(VolumeProbe, InconsistentParameterBlocksAreNoFileSystem) {
  auto zeroBytesPerSector = fatBootSector(5000, 0);
  EXPECT_EQ(probeFileSystem(zeroBytesPerSector), FileSystemKind::None);
  auto zeroPerCluster = fatBootSector(5000);
  zeroPerCluster[0x0D] = 0;
  EXPECT_EQ(probeFileSystem(zeroPerCluster), FileSystemKind::None);
  auto threePerCluster = fatBootSector(5000);
  threePerCluster[0x0D] = 3;
  EXPECT_EQ(probeFileSystem(threePerCluster), FileSystemKind::None);
  auto metadataLargerThanVolume = fatBootSector(5000);
  putLe32(&metadataLargerThanVolume[0x20], 50);  // fewer sectors than the FAT takes: no underflow
  EXPECT_EQ(probeFileSystem(metadataLargerThanVolume), FileSystemKind::None);
  auto noJump = fatBootSector(5000);
  noJump[0] = 0;
  EXPECT_EQ(probeFileSystem(noJump), FileSystemKind::None);
  EXPECT_EQ(probeFileSystem(std::vector<std::uint8_t>(100, 0xEB)), FileSystemKind::None);

  std::vector<std::uint8_t> ntfs(512, 0);
  std::copy_n("\xEB\x52\x90NTFS    ", 11, ntfs.begin());
  EXPECT_EQ(probeFileSystem(ntfs), FileSystemKind::Ntfs);
}

TEST(VolumeProbe, PartitionTypesFollowKindAndPlace) {
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat12, 63, 2880), 0x01);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat16, 63, 65535), 0x04);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat16, 63, 65536), 0x06);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat16, 20000000, 65536), 0x0E);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat32, 2048, 1000000), 0x0B);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Fat32, 2048, 30000000), 0x0C);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::Ntfs, 2048, 30000000), 0x07);
  EXPECT_EQ(partitionTypeFor(FileSystemKind::None, 2048, 100), 0x00);
}

}  // namespace
}  // namespace tarvosk
