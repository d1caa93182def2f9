// FAT volumes that the host has not mounted, through the platform's volume services: free
// space counted from the FAT, the volume's name and label, and reading live files by path.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "support/FatImagesTest.h"
#include "support/FatOracle.h"

namespace tarvosk::test {
namespace {

class FatVolumeProviderTest : public FatImagesTest, public ::testing::WithParamInterface<const char*> {
 protected:
  void SetUp() override {
    FatImagesTest::SetUp();
    drive_ = attachFatFixture(GetParam());
    oracle_ = readFatOracle(fixturePath(GetParam()));
  }
  std::u16string path(const std::u16string& inner) const { return drive_ + u"\\" + inner; }

  std::vector<std::uint8_t> readFile(const std::u16string& inner) {
    HANDLE f = CreateFileW(path(inner).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE) << utf16ToUtf8(inner) << " error " << GetLastError();
    std::vector<std::uint8_t> all;
    if (f == INVALID_HANDLE_VALUE) return all;
    std::vector<std::uint8_t> chunk(7777);  // not a multiple of any cluster size
    for (int i = 0; i < 100000; ++i) {
      DWORD got = 0;
      if (!ReadFile(f, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) || got == 0) break;
      all.insert(all.end(), chunk.begin(), chunk.begin() + got);
    }
    CloseHandle(f);
    return all;
  }

  std::u16string drive_;
  FatOracle oracle_;
};

TEST_P(FatVolumeProviderTest, FreeAndTotalClustersAgreeWithFsckFat) {
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceW((drive_ + u"\\").c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                                &totalClusters))
      << GetLastError();
  EXPECT_EQ(bytesPerSector, oracle_.sectorSize);
  EXPECT_EQ(sectorsPerCluster * bytesPerSector, oracle_.clusterSize);
  EXPECT_EQ(totalClusters, oracle_.totalClusters);
  EXPECT_EQ(freeClusters, oracle_.totalClusters - oracle_.usedClusters);
  ULARGE_INTEGER available{}, total{}, totalFree{};
  ASSERT_TRUE(GetDiskFreeSpaceExW(drive_.c_str(), &available, &total, &totalFree));
  EXPECT_EQ(total.QuadPart, std::uint64_t{oracle_.totalClusters} * oracle_.clusterSize);
  EXPECT_EQ(totalFree.QuadPart, std::uint64_t{freeClusters} * oracle_.clusterSize);
}

TEST_P(FatVolumeProviderTest, VolumeInformationNamesTheFatTypeAndLabel) {
  WCHAR label[64] = {}, fileSystem[16] = {};
  DWORD serial = 0, maxComponent = 0, flags = 0;
  ASSERT_TRUE(GetVolumeInformationW((drive_ + u"\\").c_str(), label, 64, &serial, &maxComponent, &flags, fileSystem, 16));
  EXPECT_EQ(utf16ToUtf8(fileSystem), oracle_.fileSystemType);
  const std::string expectedLabel = std::string(GetParam()) == "fat12.img" ? "FAT12VOL"
                                    : std::string(GetParam()) == "fat16.img" ? "FAT16VOL"
                                    : std::string(GetParam()) == "fat16-s1.img" ? "FAT16ONE"
                                    : std::string(GetParam()) == "fat32-s1.img" ? "FAT32ONE" : "FAT32FOUR";
  EXPECT_EQ(utf16ToUtf8(label), expectedLabel);
  EXPECT_EQ(maxComponent, 255u);
  EXPECT_NE(serial, 0u);
}

TEST_P(FatVolumeProviderTest, TheRootListsTheLiveEntriesSleuthkitLists) {
  std::set<std::string> expected;
  for (const auto& o : oracle_.entries)
    if (!o.deleted && o.path.find('/') == std::string::npos) expected.insert(o.path);
  std::set<std::string> listed;
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(path(u"*").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  do {
    listed.insert(utf16ToUtf8(data.cFileName));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  EXPECT_EQ(listed, expected);
  EXPECT_FALSE(listed.count("TEST.TXT")) << "deleted files are not live files";
}

TEST_P(FatVolumeProviderTest, AFileCopiedInReadsBackByteForByte) {
  std::vector<std::uint8_t> original = readWholeFile(fixturePath("fat-copied.bin"));
  EXPECT_EQ(readFile(u"Projects\\Copied data.bin"), original);
  EXPECT_EQ(readFile(u"PROJECTS\\copied DATA.bin"), original) << "names compare without regard to case";
  const std::string readme = "Tarvosk fixture file\r\n";
  EXPECT_EQ(readFile(u"README"), std::vector<std::uint8_t>(readme.begin(), readme.end()));
  EXPECT_EQ(readFile(u"中文文件名.txt").size(), 22u);
}

TEST_P(FatVolumeProviderTest, AttributesSizesAndMissingPaths) {
  EXPECT_EQ(GetFileAttributesW(path(u"Projects").c_str()) & FILE_ATTRIBUTE_DIRECTORY, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(path(u"Projects\\Alpha\\Beta\\deep.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(path(u"BIG.BIN").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.nFileSizeLow, 70000u);
  FindClose(find);
  EXPECT_EQ(GetFileAttributesW(path(u"TEST.TXT").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(path(u"Nowhere\\x.txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesW(path(u"README\\x.txt").c_str()), INVALID_FILE_ATTRIBUTES) << "a file is no folder";
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_P(FatVolumeProviderTest, SubfoldersListDotEntriesAndTheirFiles) {
  WIN32_FIND_DATAW data{};
  HANDLE find = FindFirstFileW(path(u"Many\\*.dat").c_str(), &data);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int count = 0;
  do {
    ++count;
  } while (FindNextFileW(find, &data));
  FindClose(find);
  EXPECT_EQ(count, 149) << "150 files copied, one deleted";
}

INSTANTIATE_TEST_SUITE_P(Fixtures, FatVolumeProviderTest,
                         ::testing::Values("fat12.img", "fat16.img", "fat16-s1.img", "fat32-s1.img", "fat32-s4.img"),
                         [](const auto& param) {
                           std::string n = param.param;
                           std::replace(n.begin(), n.end(), '.', '_');
                           std::replace(n.begin(), n.end(), '-', '_');
                           return n;
                         });

}  // namespace
}  // namespace tarvosk::test
