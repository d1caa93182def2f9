// The FAT volume layer: opening volumes, the FAT type by cluster count, refusing boot sectors
// that cannot be used, the handle table, sector reads and FAT entry lookups.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fat/FatEntry.h"
#include "fat/FatVolume.h"
#include "platform/ByteOrder.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "support/CapturedLog.h"
#include "support/FatImagesTest.h"
#include "support/FatOracle.h"

namespace tarvosk::test {
namespace {

class FatVolumeTest : public FatImagesTest {};

FatImageLayout layoutWithClusters(int bits, std::uint32_t clusters) {
  FatImageLayout l;
  l.fatBits = bits;
  l.clusterCount = clusters;
  l.rootEntryCount = bits == 32 ? 0 : 512;
  l.reservedSectors = bits == 32 ? 32 : 1;
  return l;
}

DWORD typeOf(DWORD handle) {
  FatVolumeEntry* e = FAT_GetVolumeEntry(handle);
  return e ? e->fatType : 0xFFFFFFFF;
}

// ---- FAT type and geometry -----------------------------------------------------------------

TEST_F(FatVolumeTest, RealVolumesOpenWithTheGeometrySleuthkitReports) {
  for (const char* name : {"fat12.img", "fat16.img", "fat32-s1.img", "fat32-s4.img"}) {
    FatOracle oracle = readFatOracle(fixturePath(name));
    DWORD h = openVolume(attachFatFixture(name));
    ASSERT_NE(h, INVALID_LAYER_HANDLE) << name;
    const char16_t* expected = oracle.fileSystemType == "FAT12" ? u"FAT12" : oracle.fileSystemType == "FAT16" ? u"FAT16" : u"FAT32";
    EXPECT_EQ(std::u16string(fatTypeName(static_cast<FatType>(typeOf(h)))), expected) << name;
    DWORD sectorSize = 0, clusterSize = 0;
    EXPECT_EQ(FAT_GetSectorSize(h, &sectorSize), 0u);
    EXPECT_EQ(FAT_GetClusterSize(h, &clusterSize), 0u);
    EXPECT_EQ(sectorSize, oracle.sectorSize) << name;
    EXPECT_EQ(clusterSize, oracle.clusterSize) << name;
    std::uint64_t firstOfCluster2 = 0, root = 0;
    EXPECT_EQ(FAT_GetFirstSectorOfCluster(h, 2, &firstOfCluster2), 0u);
    EXPECT_EQ(firstOfCluster2, oracle.firstClusterSector) << name;
    EXPECT_EQ(FAT_GetRootDirSecNum(h, &root), 0u);
    EXPECT_EQ(root, oracle.rootDirectorySector) << name;
  }
}

struct Boundary {
  int bits;
  std::uint32_t clusters;
  FatType expected;
};

TEST_F(FatVolumeTest, TypeFollowsTheClusterCountAloneAtTheBoundaries) {
  const Boundary cases[] = {{12, 4084, FatType::Fat12}, {16, 4085, FatType::Fat16},
                            {16, 65524, FatType::Fat16}, {32, 65525, FatType::Fat32}};
  int n = 0;
  for (const Boundary& c : cases) {
    FatImageBuilder b(layoutWithClusters(c.bits, c.clusters));
    // The file system label says otherwise: only the count decides.
    const char* label = c.expected == FatType::Fat12 ? "FAT16   " : "FAT12   ";
    std::copy_n(label, 8, b.bootSector().data() + (c.bits == 32 ? 82 : 54));
    std::u16string drive = attachBuilt(b, "boundary" + std::to_string(n++) + ".img");
    CapturedLog log;
    DWORD h = openVolume(drive);
    ASSERT_NE(h, INVALID_LAYER_HANDLE) << c.clusters;
    EXPECT_EQ(typeOf(h), static_cast<DWORD>(c.expected)) << c.clusters;
    std::string line = "FAT_OpenDevice(" + std::string(1, static_cast<char>(drive[0])) + ":): Device is " +
                       (c.expected == FatType::Fat12 ? "FAT12" : c.expected == FatType::Fat16 ? "FAT16" : "FAT32");
    EXPECT_TRUE(log.contains(line)) << line;
  }
}

// ---- Boot sectors that cannot be used --------------------------------------------------------

// Answers the free space of any volume as the system would for a mounted one, so that
// FAT_OpenDevice reaches the boot sector of a volume that the FAT provider refuses.
class AnyVolumeProvider : public VolumeProvider {
 public:
  class Volume : public MountedVolume {
   public:
    DWORD space(VolumeSpace& out) override {
      out.bytesPerSector = 512;
      out.sectorsPerCluster = 1;
      out.freeClusters = 1;
      out.totalClusters = 1;
      return ERROR_SUCCESS;
    }
    DWORD information(VolumeInformation&) override { return ERROR_NOT_SUPPORTED; }
    DWORD stat(const std::u16string&, VolumeFileInfo&) override { return ERROR_NOT_SUPPORTED; }
    DWORD list(const std::u16string&, std::vector<VolumeFileInfo>&) override { return ERROR_NOT_SUPPORTED; }
    DWORD open(const std::u16string&, std::unique_ptr<VolumeFileReader>&) override { return ERROR_NOT_SUPPORTED; }
  };
  std::unique_ptr<MountedVolume> mount(WCHAR, const std::uint8_t*) override { return std::make_unique<Volume>(); }
};

class SpoiltBootSectorTest : public FatVolumeTest {
 protected:
  // A FAT16 partition of an MBR disk (so that it gets a letter whatever its boot sector holds).
  std::u16string attachSpoilt(void (*spoil)(std::vector<std::uint8_t>&)) {
    FatImageLayout l = layoutWithClusters(16, 5000);
    l.partitionStartSector = 2048;
    FatImageBuilder b(l);
    spoil(b.bootSector());
    registerVolumeProvider(std::make_shared<AnyVolumeProvider>());
    return attachBuilt(b, "spoilt.img");
  }
};

TEST_F(SpoiltBootSectorTest, ZeroSectorsPerClusterIsRefused) {
  std::u16string drive = attachSpoilt([](std::vector<std::uint8_t>& s) { s[13] = 0; });
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("Boot block geometry is invalid: BytesPerSector=512, SectorsPerCluster=0"));
}

TEST_F(SpoiltBootSectorTest, ZeroBytesPerSectorIsRefused) {
  std::u16string drive = attachSpoilt([](std::vector<std::uint8_t>& s) { putLe16(&s[11], 0); });
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("Boot block geometry is invalid: BytesPerSector=0, SectorsPerCluster=1"));
}

TEST_F(SpoiltBootSectorTest, MetadataLargerThanTheVolumeIsRefused) {
  // Reserved sectors beyond the total: the data area's size would wrap around.
  std::u16string drive = attachSpoilt([](std::vector<std::uint8_t>& s) { putLe16(&s[14], 0xFFFF); });
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("hold no room for the FATs and the root directory"));
}

TEST_F(SpoiltBootSectorTest, MissingSignatureIsRefused) {
  std::u16string drive = attachSpoilt([](std::vector<std::uint8_t>& s) { s[511] = 0; });
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  std::string line = "FAT_OpenDevice(" + std::string(1, static_cast<char>(drive[0])) + ":): Boot block signature is incorrect";
  EXPECT_TRUE(log.contains(line));
  // A refused open leaves its entry free: the next open takes handle 0 again.
  EXPECT_EQ(FAT_GetVolumeEntry(0), nullptr);
}

TEST_F(FatVolumeTest, NamesThatAreNotDrivesAndUnknownDrivesAreRefused) {
  CapturedLog log;
  EXPECT_EQ(openVolume(u"C"), INVALID_LAYER_HANDLE);
  EXPECT_EQ(openVolume(u"C:\\x"), INVALID_LAYER_HANDLE);
  EXPECT_EQ(FAT_OpenDevice(nullptr), INVALID_LAYER_HANDLE);
  EXPECT_EQ(openVolume(u"Q:"), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("FAT_OpenDevice(Q:): GetDiskFreeSpace failed"));
}

// ---- The handle table ----------------------------------------------------------------------

TEST_F(FatVolumeTest, FiftyFirstOpenFailsAndNamesTheFullTable) {
  std::u16string drive = attachFatFixture("fat12.img");
  for (DWORD i = 0; i < FAT_MAX_VOLUMES; ++i) ASSERT_EQ(openVolume(drive), i);
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains(" FAT ERROR  FindFreeHandle(): no free handles available\r\n"));
  EXPECT_TRUE(log.contains("FAT_OpenDevice(C:): FindFreeHandle failed"));
  // A closed entry is the one the next open takes.
  EXPECT_EQ(FAT_CloseDevice(17), 0u);
  EXPECT_EQ(openVolume(drive), 17u);
  EXPECT_TRUE(log.contains(" FAT INFO  FindFreeHandle(): returned 17\r\n"));
}

TEST_F(FatVolumeTest, HandlesFiftyAndAboveAndClosedHandlesGiveFour) {
  DWORD h = openVolume(attachFatFixture("fat16.img"));
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  ASSERT_EQ(FAT_CloseDevice(h), 0u);
  std::vector<std::uint8_t> buffer(4096);
  for (DWORD bad : {h, 50u, 51u, 0xFFFFu, 0xFFFFFFFFu}) {
    DWORD v32 = 0;
    std::uint64_t v64 = 0;
    EXPECT_EQ(FAT_GetSectorSize(bad, &v32), 4u);
    EXPECT_EQ(FAT_GetClusterSize(bad, &v32), 4u);
    EXPECT_EQ(FAT_GetRootDirSecNum(bad, &v64), 4u);
    EXPECT_EQ(FAT_ReadSectors(bad, 0, 1, buffer.data()), 4u);
    EXPECT_EQ(FAT_GetFirstSectorOfCluster(bad, 2, &v64), 4u);
    EXPECT_EQ(FAT_GetClusterEntry(bad, 2, &v64, &v32), 4u);
    EXPECT_EQ(FAT_CloseDevice(bad), 4u);
  }
}

// ---- Sector reads --------------------------------------------------------------------------

TEST_F(FatVolumeTest, SectorReadsReturnTheVolumesBytes) {
  std::string path = fixturePath("fat16.img");
  std::vector<std::uint8_t> image = readWholeFile(path);
  DWORD h = openVolume(attachFatFixture("fat16.img"));
  std::vector<std::uint8_t> buffer(8 * 512);
  ASSERT_EQ(FAT_ReadSectors(h, 100, 8, buffer.data()), 0u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin() + 100 * 512));
}

TEST_F(FatVolumeTest, ReadsPastTheEndOfTheVolumeFail) {
  std::vector<std::uint8_t> image = readWholeFile(fixturePath("fat12.img"));
  const std::uint64_t sectors = image.size() / 512;
  DWORD h = openVolume(attachFatFixture("fat12.img"));
  std::vector<std::uint8_t> buffer(4 * 512, 0xAB);
  CapturedLog log;
  // Straddling the end: two sectors exist, two do not.
  EXPECT_EQ(FAT_ReadSectors(h, sectors - 2, 4, buffer.data()), 1u);
  EXPECT_EQ(FAT_ReadSectors(h, sectors, 1, buffer.data()), 1u);
  EXPECT_EQ(FAT_ReadSectors(h, ~0ull / 512, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains("__ReadSectors(handle=0x0): ReadFile() failed with code 27"));
  EXPECT_EQ(FAT_ReadSectors(h, sectors - 1, 1, buffer.data()), 0u);
}

TEST_F(FatVolumeTest, FailingSectorsGiveAReadFailure) {
  AttachOptions bad;
  bad.badSectors.push_back({200, 4});
  AttachResult r = attachFixture("fat16.img", bad);
  ASSERT_FALSE(r.letters.empty());
  DWORD h = openVolume(std::u16string{r.letters[0], u':'});
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  std::vector<std::uint8_t> buffer(512);
  CapturedLog log;
  EXPECT_EQ(FAT_ReadSectors(h, 201, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains("ReadFile() failed with code 23"));
}

// ---- FAT entries ---------------------------------------------------------------------------

TEST_F(FatVolumeTest, Fat12OddEntryStraddlingASectorIsWhole) {
  FatImageBuilder b(layoutWithClusters(12, 3000));
  // Cluster 341's entry begins at byte 511, the last byte of the FAT's first sector.
  b.setEntry(340, 0x123);
  b.setEntry(341, 0xABC);
  b.setEntry(342, 0x456);
  DWORD h = openVolume(attachBuilt(b));
  ASSERT_EQ(typeOf(h), 0u);
  std::uint64_t next = 0;
  DWORD end = 7;
  ASSERT_EQ(FAT_GetClusterEntry(h, 341, &next, &end), 0u);
  EXPECT_EQ(next, 0xABCu);
  EXPECT_EQ(end, 0u);
  ASSERT_EQ(FAT_GetClusterEntry(h, 340, &next, &end), 0u);
  EXPECT_EQ(next, 0x123u);
  ASSERT_EQ(FAT_GetClusterEntry(h, 342, &next, &end), 0u);
  EXPECT_EQ(next, 0x456u);
}

TEST_F(FatVolumeTest, Fat32EntriesKeepTheirLow28Bits) {
  FatImageBuilder b(layoutWithClusters(32, 70000));
  b.setEntry(2, 0x0FFFFFFF);
  b.setEntry(100, 0xF0000123);
  b.setEntry(101, 0xA0FFFFFF);
  DWORD h = openVolume(attachBuilt(b));
  ASSERT_EQ(typeOf(h), 2u);
  std::uint64_t next = 0;
  DWORD end = 0;
  ASSERT_EQ(FAT_GetClusterEntry(h, 100, &next, &end), 0u);
  EXPECT_EQ(next, 0x123u);
  ASSERT_EQ(FAT_GetClusterEntry(h, 101, &next, &end), 0u);
  EXPECT_EQ(next, 0x00FFFFFFu);
  ASSERT_EQ(FAT_GetClusterEntry(h, 2, &next, &end), 0u);
  EXPECT_EQ(next, 0x0FFFFFFFu);
  EXPECT_EQ(end, 0u) << "the flag is about the cluster asked, not about the value read";
  ASSERT_EQ(FAT_GetClusterEntry(h, 0x0FFFFFF8, &next, &end), 0u);
  EXPECT_EQ(end, 1u);
  ASSERT_EQ(FAT_GetClusterEntry(h, 0x0FFFFFF7, &next, &end), 1u) << "a bad-cluster value names no entry of this FAT";
}

TEST_F(FatVolumeTest, EndFlagsAtTheEndOfChainValues) {
  FatImageBuilder b(layoutWithClusters(16, 65524));
  b.setEntry(0xFFF5, 0xFFF7);
  DWORD h = openVolume(attachBuilt(b));
  ASSERT_EQ(typeOf(h), 1u);
  std::uint64_t next = 0;
  DWORD end = 0;
  EXPECT_EQ(FAT_GetClusterEntry(h, 0xFFFF, &next, &end), 0u);
  EXPECT_EQ(end, 1u);
  EXPECT_EQ(FAT_GetClusterEntry(h, 0xFFF8, &next, &end), 0u);
  EXPECT_EQ(end, 1u);
  EXPECT_EQ(FAT_GetClusterEntry(h, 0xFFF7, &next, &end), 0u);
  EXPECT_EQ(end, 0u) << "bad-cluster values get no special treatment";
  EXPECT_EQ(FAT_GetClusterEntry(h, 0xFFF5, &next, &end), 0u);
  EXPECT_EQ(next, 0xFFF7u);
  EXPECT_EQ(FAT_GetClusterEntry(h, 0x100000000ull, &next, &end), 0u);
  EXPECT_EQ(end, 1u);
}

TEST_F(FatVolumeTest, LookupsInOneSectorPairReadTheDiskOnce) {
  FatImageBuilder b(layoutWithClusters(16, 5000));
  b.setChain(2, 300, 0xFFFF);  // entries 2..301: bytes 4..603, inside sectors 0 and 1 of the FAT
  DWORD h = openVolume(attachBuilt(b));
  CapturedLog log;
  std::uint64_t cur = 2;
  DWORD end = 0;
  for (int i = 0; i < 300; ++i) ASSERT_EQ(FAT_GetClusterEntry(h, cur, &cur, &end), 0u);
  EXPECT_EQ(cur, 0xFFFFu);
  std::string text = log.text();
  std::size_t reads = 0;
  for (auto at = text.find("__ReadSectors("); at != std::string::npos; at = text.find("__ReadSectors(", at + 1)) ++reads;
  EXPECT_EQ(reads, 1u);
}

}  // namespace
}  // namespace tarvosk::test
