// The raw device layer in NT mode: physical drives opened by number, their geometry and label,
// sector reads, and the table of 50 open devices.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/DeviceMode.h"
#include "device/RawDevice.h"
#include "support/AttachedImages.h"
#include "support/CapturedLog.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

class RawDeviceTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    RAW_ResetMode();
  }
  void TearDown() override {
    for (DWORD h = 0; h < RAW_MAX_DEVICES; ++h) RAW_CloseDevice(h);
    AttachedImagesTest::TearDown();
  }
};

TEST_F(RawDeviceTest, NtModeIsChosenWhenVwin32DoesNotOpen) {
  RAW_Initialize();
  EXPECT_FALSE(RAW_IsWin9xMode());
  EXPECT_EQ(RAW_GetVwin32Handle(), INVALID_HANDLE_VALUE);
}

TEST_F(RawDeviceTest, OpensAPhysicalDriveWithItsGeometryAndLabel) {
  AttachResult r = attachFixture("fat12.img");
  ASSERT_EQ(r.physicalDrive, 0);
  const std::uint64_t bytes = readWholeFile(fixturePath("fat12.img")).size();
  CapturedLog log;
  DWORD h = RAW_OpenDevice(0x100);  // only the low 8 bits name the device
  ASSERT_EQ(h, 0u);
  DWORD sectorSize = 0, media = 99;
  std::uint64_t total = 0;
  EXPECT_EQ(RAW_GetSectorSize(h, &sectorSize), 0u);
  EXPECT_EQ(RAW_GetTotalSectors(h, &total), 0u);
  EXPECT_EQ(RAW_GetMediaType(h, &media), 0u);
  EXPECT_EQ(sectorSize, 512u);
  EXPECT_EQ(total, bytes / 512);
  EXPECT_EQ(media, FixedMedia);
  char label[32];
  std::memset(label, 'x', sizeof label);
  EXPECT_EQ(RAW_GetLabel(h, label, sizeof label), 0u);
  EXPECT_STREQ(label, "fat12.img");
  for (std::size_t i = std::strlen("fat12.img"); i < sizeof label; ++i) EXPECT_EQ(label[i], 0) << i;
  EXPECT_TRUE(log.contains(" RAW INFO  RAW_OpenDevice(0): sector size 512, total sectors 8192\r\n"));
  EXPECT_TRUE(log.contains(" RAW INFO  FindFreeHandle(): returned 0\r\n"));
}

TEST_F(RawDeviceTest, ALabelThatFillsTheBufferIsNotTerminated) {
  attachFixture("fat12.img");
  DWORD h = RAW_OpenDevice(0);
  char label[6] = {'.', '.', '.', '.', '.', '.'};
  EXPECT_EQ(RAW_GetLabel(h, label, 4), 0u);
  EXPECT_EQ(std::string(label, 6), std::string("fat1..", 6));
}

TEST_F(RawDeviceTest, ADiskOfThreeTebibytesReportsItsWholeSectorCount) {
  attachFixture("sparse-3tib.img");
  DWORD h = RAW_OpenDevice(0);
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  std::uint64_t total = 0;
  EXPECT_EQ(RAW_GetTotalSectors(h, &total), 0u);
  EXPECT_EQ(total, 3ull * 1024 * 1024 * 1024 * 1024 / 512);
}

TEST_F(RawDeviceTest, AMissingDriveFailsToOpen) {
  CapturedLog log;
  EXPECT_EQ(RAW_OpenDevice(5), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("RAW_OpenDevice(5): CreateFile(\\\\.\\PhysicalDrive5) failed with code "));
  EXPECT_EQ(RAW_OpenDevice(0), INVALID_LAYER_HANDLE) << "nothing is attached";
}

TEST_F(RawDeviceTest, ReadsReturnTheDisksBytes) {
  attachFixture("mbr.img");
  std::vector<std::uint8_t> image = readWholeFile(fixturePath("mbr.img"));
  DWORD h = RAW_OpenDevice(0);
  std::vector<std::uint8_t> buffer(16 * 512);
  ASSERT_EQ(RAW_ReadSectors(h, 2048, 16, buffer.data()), 0u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), image.begin() + 2048 * 512));
  ASSERT_EQ(RAW_ReadSectors(h, 0, 1, buffer.data()), 0u);
  EXPECT_EQ(buffer[510], 0x55);
  EXPECT_EQ(buffer[511], 0xAA);
}

TEST_F(RawDeviceTest, ReadsNotWhollyOnTheDiskFail) {
  attachFixture("fat12.img");
  DWORD h = RAW_OpenDevice(0);
  std::vector<std::uint8_t> buffer(4 * 512);
  CapturedLog log;
  EXPECT_EQ(RAW_ReadSectors(h, 8190, 4, buffer.data()), 1u) << "a short read is a failure";
  EXPECT_EQ(RAW_ReadSectors(h, 8192, 1, buffer.data()), 1u);
  EXPECT_EQ(RAW_ReadSectors(h, ~0ull, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains(" RAW ERROR  RAW_ReadSectors(0): ReadFile(4) failed with code 27\r\n"));
  EXPECT_EQ(RAW_ReadSectors(h, 8191, 1, buffer.data()), 0u);
}

TEST_F(RawDeviceTest, FailingSectorsGiveAReadFailure) {
  AttachOptions bad;
  bad.badSectors.push_back({100, 1});
  attachFixture("fat12.img", bad);
  DWORD h = RAW_OpenDevice(0);
  std::vector<std::uint8_t> buffer(512);
  CapturedLog log;
  EXPECT_EQ(RAW_ReadSectors(h, 100, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains("RAW_ReadSectors(0): ReadFile(1) failed with code 23"));
}

TEST_F(RawDeviceTest, TheFiftyFirstOpenFails) {
  attachFixture("fat12.img");
  for (DWORD i = 0; i < RAW_MAX_DEVICES; ++i) ASSERT_EQ(RAW_OpenDevice(0), i);
  CapturedLog log;
  EXPECT_EQ(RAW_OpenDevice(0), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains(" RAW ERROR  FindFreeHandle(): no free handles available\r\n"));
  EXPECT_TRUE(log.contains(" RAW ERROR  RAW_OpenDevice(0): FindFreeHandle failed\r\n"));
  EXPECT_EQ(RAW_CloseDevice(7), 0u);
  EXPECT_EQ(RAW_OpenDevice(0), 7u);
}

TEST_F(RawDeviceTest, HandlesFiftyAndAboveAndClosedHandlesGiveFour) {
  attachFixture("fat12.img");
  DWORD h = RAW_OpenDevice(0);
  ASSERT_EQ(RAW_CloseDevice(h), 0u);
  std::vector<std::uint8_t> buffer(512);
  for (DWORD bad : {h, 50u, 1000u, 0xFFFFu}) {
    DWORD v = 0;
    std::uint64_t t = 0;
    char label[4];
    EXPECT_EQ(RAW_CloseDevice(bad), 4u);
    EXPECT_EQ(RAW_GetLabel(bad, label, 4), 4u);
    EXPECT_EQ(RAW_GetSectorSize(bad, &v), 4u);
    EXPECT_EQ(RAW_GetTotalSectors(bad, &t), 4u);
    EXPECT_EQ(RAW_GetMediaType(bad, &v), 4u);
    EXPECT_EQ(RAW_ReadSectors(bad, 0, 1, buffer.data()), 4u);
  }
}

}  // namespace
}  // namespace tarvosk::test
