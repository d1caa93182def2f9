// exFAT volumes that the host has not mounted, through the platform's volume services and the
// drive namespace: letters for bare, MBR and GPT volumes, free space from the allocation bitmap
// as dump.exfat counts it, the label and "exFAT", and live files read back by path.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "support/AttachedImages.h"
#include "support/ExfatFixture.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {
namespace {

class ExfatVolumeProviderTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    registerFileSystemProviders();
  }
  // Reads a file through "C:\..." in pieces that are no multiple of a cluster.
  static std::vector<std::uint8_t> readFile(const std::u16string& path) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE) << utf16ToUtf8(path) << " error " << GetLastError();
    std::vector<std::uint8_t> all;
    if (f == INVALID_HANDLE_VALUE) return all;
    std::vector<std::uint8_t> chunk(7777);
    for (DWORD got = 1; got != 0;) {
      if (!ReadFile(f, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr)) break;
      all.insert(all.end(), chunk.begin(), chunk.begin() + got);
    }
    CloseHandle(f);
    return all;
  }
};

TEST_F(ExfatVolumeProviderTest, SpaceAndInformationComeFromTheBitmapAndTheRootFolder) {
  for (const char* image : {"exfat-4k.img", "exfat-512.img", "exfat-32k.img"}) {
    SCOPED_TRACE(image);
    detachAll();
    attachFixture(image);
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    ASSERT_TRUE(GetDiskFreeSpaceW(u"C:\\", &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters));
    EXPECT_EQ(bytesPerSector, 512u);
    EXPECT_EQ(std::to_string(sectorsPerCluster * bytesPerSector), exfatDumpField(image, "Cluster size"));
    EXPECT_EQ(totalClusters, exfatDumpCount(image, "Total Clusters"));
    EXPECT_EQ(freeClusters, exfatDumpCount(image, "Free Clusters"));
    ULARGE_INTEGER available{}, total{}, totalFree{};
    ASSERT_TRUE(GetDiskFreeSpaceExW(u"C:", &available, &total, &totalFree));
    EXPECT_EQ(total.QuadPart, std::uint64_t{totalClusters} * sectorsPerCluster * bytesPerSector);
    WCHAR label[64] = {}, fileSystem[16] = {};
    DWORD serial = 0, maxComponent = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationW(u"C:\\", label, 64, &serial, &maxComponent, &flags, fileSystem, 16));
    EXPECT_EQ(utf16ToUtf8(fileSystem), "exFAT");
    EXPECT_EQ(utf16ToUtf8(label), exfatDumpField(image, "Volume label"));
    EXPECT_NE(serial, 0u);
  }
}

TEST_F(ExfatVolumeProviderTest, LiveFilesReadBackByteForByte) {
  attachFixture("exfat-4k.img");
  EXPECT_EQ(readFile(u"C:\\readme.txt"), exfatOriginal("readme.txt"));
  EXPECT_EQ(readFile(u"C:\\中文文件夹\\报告.TXT"), exfatOriginal("report.txt")) << "names compare through the up-case table";
  EXPECT_EQ(readFile(u"C:\\projects\\ALPHA\\Beta\\deep.txt"), exfatOriginal("deep.txt"));
  EXPECT_EQ(readFile(u"C:\\filler.bin"), exfatOriginal("filler.bin")) << "a FAT chain";
  EXPECT_EQ(readFile(u"C:\\Many\\file number 120.dat"), std::vector<std::uint8_t>({'e', 'n', 't', 'r', 'y', ' ', '1', '2',
                                                                                     '0', '\r', '\n'}));
  EXPECT_EQ(CreateFileW(u"C:\\contig.bin", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE)
      << "a deleted file is no live file";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  WIN32_FIND_DATAW found{};
  HANDLE find = FindFirstFileW(u"C:\\Many\\*", &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  int count = 1;
  while (FindNextFileW(find, &found)) ++count;
  FindClose(find);
  EXPECT_EQ(count, 117) << "120 files, 3 deleted";
}

TEST_F(ExfatVolumeProviderTest, PartitionedDisksGiveTheirExfatVolumesALetter) {
  for (const char* disk : {"exfat-mbr.img", "exfat-gpt.img"}) {
    SCOPED_TRACE(disk);
    detachAll();
    AttachResult attached = attachFixture(disk);
    ASSERT_EQ(attached.letters.size(), 1u);
    LogicalDriveInfo info;
    ASSERT_TRUE(findLogicalDrive(attached.letters[0], info));
    EXPECT_EQ(info.fileSystem, FileSystemKind::Exfat);
    EXPECT_EQ(info.partitionType, 0x07);
    EXPECT_EQ(info.offset, 1048576u);
    WCHAR label[64] = {}, fileSystem[16] = {};
    ASSERT_TRUE(GetVolumeInformationW(u"C:\\", label, 64, nullptr, nullptr, nullptr, fileSystem, 16));
    EXPECT_EQ(utf16ToUtf8(label), std::string(disk) == "exfat-mbr.img" ? "MBRCARD" : "GPTCARD");
    EXPECT_EQ(readFile(u"C:\\readme.txt"), exfatOriginal("readme.txt"));
  }
}

}  // namespace
}  // namespace tarvosk::test
