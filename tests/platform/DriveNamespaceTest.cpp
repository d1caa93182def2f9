// The drive namespace on images made by mkfs.fat, mkntfs and sfdisk.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/CodePage.h"
#include "platform/DriveNamespace.h"
#include "platform/Files.h"
#include "platform/VolumeServices.h"
#include "platform/WinError.h"
#include "support/AttachedImages.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

class DriveNamespaceTest : public AttachedImagesTest {};

HANDLE openDevice(const char16_t* path, DWORD access = GENERIC_READ) {
  return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::vector<std::uint8_t> readAt(HANDLE h, std::uint64_t offset, DWORD length) {
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  EXPECT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
  std::vector<std::uint8_t> buffer(length);
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(h, buffer.data(), length, &got, nullptr)) << GetLastError();
  EXPECT_EQ(got, length);
  return buffer;
}

std::vector<std::uint8_t> imageBytes(const std::string& fixture, std::uint64_t offset, std::size_t length) {
  std::vector<std::uint8_t> all = readWholeFile(fixturePath(fixture));
  return std::vector<std::uint8_t>(all.begin() + static_cast<std::ptrdiff_t>(offset),
                                   all.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

PARTITION_INFORMATION partitionInfo(const char16_t* path) {
  HANDLE h = openDevice(path);
  EXPECT_NE(h, INVALID_HANDLE_VALUE);
  PARTITION_INFORMATION info{};
  DWORD returned = 0;
  EXPECT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_PARTITION_INFO, nullptr, 0, &info, sizeof info, &returned, nullptr));
  EXPECT_EQ(returned, sizeof info);
  CloseHandle(h);
  return info;
}

TEST_F(DriveNamespaceTest, LettersAndDrivesFollowTheOrderOfAttaching) {
  AttachResult fat = attachFixture("fat32.img");
  AttachResult ntfs = attachFixture("ntfs.img");
  AttachResult mbr = attachFixture("mbr.img");
  AttachResult gpt = attachFixture("gpt.img");
  EXPECT_EQ(fat.physicalDrive, 0);
  EXPECT_EQ(fat.letters, std::vector<WCHAR>{u'C'});
  EXPECT_EQ(ntfs.physicalDrive, 1);
  EXPECT_EQ(ntfs.letters, std::vector<WCHAR>{u'D'});
  EXPECT_EQ(mbr.physicalDrive, 2);
  EXPECT_EQ(mbr.letters, (std::vector<WCHAR>{u'E', u'F'}));
  EXPECT_EQ(gpt.physicalDrive, 3);
  EXPECT_EQ(gpt.letters, std::vector<WCHAR>{u'G'});

  WCHAR strings[64] = {};
  DWORD length = GetLogicalDriveStringsW(64, strings);
  EXPECT_EQ(std::u16string(strings, length), std::u16string(u"C:\\\0D:\\\0E:\\\0F:\\\0G:\\\0", 20));
  EXPECT_EQ(GetLogicalDriveStringsW(4, strings), 21u) << "a short buffer is answered with the size needed";
  EXPECT_EQ(GetLogicalDrives(), 0b1111100u);
  EXPECT_EQ(physicalDrives().size(), 4u);
}

TEST_F(DriveNamespaceTest, VolumesSitAtTheirPartitionsWithTheirTypeBytes) {
  attachFixture("fat32.img");
  attachFixture("ntfs.img");
  attachFixture("mbr.img");
  attachFixture("gpt.img");
  struct Expected {
    WCHAR letter;
    int drive;
    std::uint64_t offset, length;
    std::uint8_t type;
    FileSystemKind fs;
  };
  const Expected expected[] = {
      {u'C', 0, 0, 40ull << 20, 0x0B, FileSystemKind::Fat32},
      {u'D', 1, 0, 16ull << 20, 0x07, FileSystemKind::Ntfs},
      {u'E', 2, 2048 * 512, 65536 * 512, 0x06, FileSystemKind::Fat16},
      {u'F', 2, 67584 * 512, 126976ull * 512, 0x07, FileSystemKind::Ntfs},
      {u'G', 3, 2048 * 512, 86016ull * 512, 0x0B, FileSystemKind::Fat32},
  };
  for (const Expected& e : expected) {
    LogicalDriveInfo info;
    ASSERT_TRUE(findLogicalDrive(e.letter, info)) << char(e.letter);
    EXPECT_EQ(info.physicalDrive, e.drive) << char(e.letter);
    EXPECT_EQ(info.offset, e.offset) << char(e.letter);
    EXPECT_EQ(info.length, e.length) << char(e.letter);
    EXPECT_EQ(info.partitionType, e.type) << char(e.letter);
    EXPECT_EQ(info.fileSystem, e.fs) << char(e.letter);

    char16_t path[] = u"\\\\.\\C:";
    path[4] = e.letter;
    PARTITION_INFORMATION p = partitionInfo(path);
    EXPECT_EQ(p.PartitionType, e.type);
    EXPECT_EQ(static_cast<std::uint64_t>(p.StartingOffset.QuadPart), e.offset);
    EXPECT_EQ(static_cast<std::uint64_t>(p.PartitionLength.QuadPart), e.length);
    EXPECT_EQ(p.HiddenSectors, e.offset / 512);
    EXPECT_TRUE(p.RecognizedPartition);
  }
  // A bare volume's physical drive is the volume itself; a partitioned disk's is not a volume.
  EXPECT_EQ(partitionInfo(u"\\\\.\\PhysicalDrive0").PartitionType, 0x0B);
  EXPECT_EQ(partitionInfo(u"\\\\.\\PhysicalDrive2").PartitionType, 0x00);
}

TEST_F(DriveNamespaceTest, ExtendedPartitionsGiveTheirLogicalDrivesLetters) {
  AttachResult r = attachFixture("extended.img");
  ASSERT_EQ(r.letters, (std::vector<WCHAR>{u'C', u'D', u'E'}));
  LogicalDriveInfo c, d, e;
  ASSERT_TRUE(findLogicalDrive(u'C', c) && findLogicalDrive(u'D', d) && findLogicalDrive(u'E', e));
  EXPECT_EQ(c.fileSystem, FileSystemKind::Fat12);
  EXPECT_EQ(c.partitionType, 0x01);
  EXPECT_EQ(d.offset, 12288u * 512);
  EXPECT_EQ(d.partitionNumber, 5u);
  EXPECT_EQ(e.offset, 63488u * 512);
  EXPECT_EQ(e.partitionNumber, 6u);
  EXPECT_EQ(e.fileSystem, FileSystemKind::Fat16);
}

TEST_F(DriveNamespaceTest, AVolumeReadsFromItsOwnOffsetZero) {
  attachFixture("mbr.img");
  HANDLE e = openDevice(u"\\\\.\\C:");
  HANDLE f = openDevice(u"\\\\.\\d:");  // letters compare without regard to case
  ASSERT_NE(e, INVALID_HANDLE_VALUE);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAt(e, 0, 4096), imageBytes("mbr.img", 2048 * 512, 4096));
  EXPECT_EQ(readAt(f, 512, 1024), imageBytes("mbr.img", 67584 * 512 + 512, 1024));
  std::vector<std::uint8_t> boot = readAt(f, 0, 512);
  EXPECT_EQ(std::memcmp(boot.data() + 3, "NTFS    ", 8), 0);
  CloseHandle(e);
  CloseHandle(f);
}

TEST_F(DriveNamespaceTest, DiskReadsAreWholeSectorsInsideTheDevice) {
  attachFixture("mbr.img");
  HANDLE h = openDevice(u"\\\\.\\C:");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  std::vector<std::uint8_t> buffer(2048);
  DWORD got = 99;
  EXPECT_FALSE(ReadFile(h, buffer.data(), 100, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(got, 0u);

  // The volume's last sector reads; one more than that is a failure, not a short success,
  // even though the disk goes on past the partition.
  const std::uint64_t end = 65536ull * 512;
  readAt(h, end - 512, 512);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(end - 512);
  ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
  EXPECT_FALSE(ReadFile(h, buffer.data(), 1024, &got, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_SECTOR_NOT_FOUND);
  EXPECT_EQ(got, 0u);
  CloseHandle(h);
}

TEST_F(DriveNamespaceTest, GeometryMultipliesToTheExactSectorCountOfAThreeTebibyteDisk) {
  AttachResult r = attachFixture("sparse-3tib.img");
  EXPECT_TRUE(r.letters.empty()) << "an empty disk has no volume";
  HANDLE h = openDevice(u"\\\\.\\PhysicalDrive0");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DISK_GEOMETRY g{};
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &returned, nullptr));
  EXPECT_EQ(returned, 24u);
  const std::uint64_t sectors = (3ull << 40) / 512;
  EXPECT_EQ(static_cast<std::uint64_t>(g.Cylinders.QuadPart) * g.TracksPerCylinder * g.SectorsPerTrack, sectors);
  EXPECT_GT(sectors, 0xFFFFFFFFull) << "the count needs 64 bits";
  EXPECT_LE(g.TracksPerCylinder, 255u);
  EXPECT_LE(g.SectorsPerTrack, 63u);
  EXPECT_EQ(g.BytesPerSector, 512u);
  EXPECT_EQ(g.MediaType, FixedMedia);
  // The last sector of the disk reads.
  readAt(h, (3ull << 40) - 512, 512);
  EXPECT_FALSE(DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, 23, &returned, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
  CloseHandle(h);
}

TEST_F(DriveNamespaceTest, StorageDescriptorNamesTheImageAndRemovableDrivesSaySo) {
  attachFixture("fat32.img");
  attachFixture("gpt.img", AttachOptions{.removable = true, .badSectors = {}});
  EXPECT_EQ(GetDriveTypeW(u"C:\\"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeW(u"D:\\"), DRIVE_REMOVABLE);
  EXPECT_EQ(GetDriveTypeW(u"Q:\\"), DRIVE_NO_ROOT_DIR);

  HANDLE h = openDevice(u"\\\\.\\PhysicalDrive1");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  STORAGE_PROPERTY_QUERY query{StorageDeviceProperty, PropertyStandardQuery, {}};
  std::vector<std::uint8_t> out(10000);
  DWORD returned = 0;
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_STORAGE_QUERY_PROPERTY, &query, sizeof query, out.data(),
                              static_cast<DWORD>(out.size()), &returned, nullptr));
  STORAGE_DEVICE_DESCRIPTOR d{};
  std::memcpy(&d, out.data(), sizeof d);
  ASSERT_GT(d.ProductIdOffset, 0u);
  EXPECT_STREQ(reinterpret_cast<const char*>(out.data() + d.ProductIdOffset), "gpt.img");
  EXPECT_EQ(d.RemovableMedia, 1);
  DISK_GEOMETRY g{};
  ASSERT_TRUE(DeviceIoControl(h, IOCTL_DISK_GET_DRIVE_GEOMETRY, nullptr, 0, &g, sizeof g, &returned, nullptr));
  EXPECT_EQ(g.MediaType, RemovableMedia);
  CloseHandle(h);
}

TEST_F(DriveNamespaceTest, NothingWritesToASource) {
  attachFixture("fat32.img");
  std::string image = fixturePath("fat32.img");
  std::u16string imagePath = utf8ToUtf16(image);

  // Device handles are read-only whatever access is asked.
  for (const char16_t* device : {u"\\\\.\\C:", u"\\\\.\\PhysicalDrive0"}) {
    HANDLE h = openDevice(device, GENERIC_READ | GENERIC_WRITE);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char zeros[512] = {};
    DWORD written = 7;
    EXPECT_FALSE(WriteFile(h, zeros, 512, &written, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(SetEndOfFile(h));
    CloseHandle(h);
  }
  // The image file itself, under its host path, cannot be opened to write, truncated or deleted.
  for (DWORD disposition : {OPEN_EXISTING, CREATE_NEW, CREATE_ALWAYS, TRUNCATE_EXISTING, OPEN_ALWAYS}) {
    HANDLE h = CreateFileW(imagePath.c_str(), GENERIC_WRITE, 0, nullptr, disposition, 0, nullptr);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << disposition;
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  }
  EXPECT_FALSE(DeleteFileW(imagePath.c_str()));
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  ScratchDir dir;
  writeWholeFile(dir.file("other.bin"), {1, 2, 3});
  EXPECT_FALSE(CopyFileW(utf8ToUtf16(dir.file("other.bin")).c_str(), imagePath.c_str(), FALSE));
  // A link to the image is the image.
  std::filesystem::create_symlink(image, dir.path() / "link.img");
  HANDLE h = CreateFileW(utf8ToUtf16(dir.file("link.img")).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  // Reading it through its host path is allowed.
  h = CreateFileW(imagePath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  CloseHandle(h);
}

TEST_F(DriveNamespaceTest, BadSectorsFailWithCrcAndTheSectorsAroundThemRead) {
  attachFixture("fat32.img", AttachOptions{.removable = false, .badSectors = {{100, 4}}});
  HANDLE h = openDevice(u"\\\\.\\C:");
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(readAt(h, 99 * 512, 512), imageBytes("fat32.img", 99 * 512, 512));
  EXPECT_EQ(readAt(h, 104 * 512, 1024), imageBytes("fat32.img", 104 * 512, 1024));
  for (std::uint64_t first : {97u, 100u, 103u}) {
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(first * 512);
    ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN));
    std::vector<std::uint8_t> buffer(4 * 512);
    DWORD got = 5;
    EXPECT_FALSE(ReadFile(h, buffer.data(), 4 * 512, &got, nullptr)) << first;
    EXPECT_EQ(GetLastError(), ERROR_CRC);
    EXPECT_EQ(got, 0u);
  }
  CloseHandle(h);
}

TEST_F(DriveNamespaceTest, MissingDrivesAndSixteenPhysicalDrivesAtMost) {
  EXPECT_EQ(openDevice(u"\\\\.\\C:"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(openDevice(u"\\\\.\\PhysicalDrive0"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(openDevice(u"\\\\.\\VWIN32"), INVALID_HANDLE_VALUE) << "this host has no VWIN32";
  EXPECT_FALSE(attachImage("/nonexistent/disk.img"));
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);

  for (int i = 0; i < kMaxPhysicalDrives; ++i) attachFixture("sparse-3tib.img");
  EXPECT_FALSE(attachImage(fixturePath("fat32.img")));
  EXPECT_EQ(physicalDrives().size(), static_cast<std::size_t>(kMaxPhysicalDrives));
  EXPECT_TRUE(logicalDrives().empty());
}

TEST_F(DriveNamespaceTest, VolumeServicesNeedAProvider) {
  attachFixture("fat32.img");
  WCHAR name[64];
  EXPECT_FALSE(GetVolumeInformationW(u"C:\\", nullptr, 0, nullptr, nullptr, nullptr, name, 64));
  EXPECT_EQ(GetLastError(), ERROR_UNRECOGNIZED_VOLUME);
  DWORD spc, bps, freeClusters, total;
  EXPECT_FALSE(GetDiskFreeSpaceW(u"C:\\", &spc, &bps, &freeClusters, &total));
  EXPECT_EQ(GetLastError(), ERROR_UNRECOGNIZED_VOLUME);
  EXPECT_EQ(CreateFileW(u"C:\\DOCS\\README.TXT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_UNRECOGNIZED_VOLUME);
  EXPECT_FALSE(GetVolumeInformationW(u"K:\\", nullptr, 0, nullptr, nullptr, nullptr, name, 64));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(DriveNamespaceTest, AnEmptyRemovableDriveIsNotReady) {
  ScratchDir dir;
  writeWholeFile(dir.file("card-reader.img"), {});
  AttachResult r;
  ASSERT_TRUE(attachImage(dir.file("card-reader.img"), AttachOptions{.removable = true, .badSectors = {}}, &r));
  ASSERT_EQ(r.letters, std::vector<WCHAR>{u'C'});
  EXPECT_EQ(GetDriveTypeW(u"C:\\"), DRIVE_REMOVABLE);
  EXPECT_FALSE(GetVolumeInformationW(u"C:\\", nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_EQ(GetLastError(), ERROR_NOT_READY);
}

}  // namespace
}  // namespace tarvosk::test
