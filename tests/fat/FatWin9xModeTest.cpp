// The FAT volume layer in Windows 9x mode: the boot sector and every sector read go through
// VWIN32's logical sector reads instead of the volume device.
#include <gtest/gtest.h>

#include "FatWalk.h"
#include "device/DeviceMode.h"
#include "fat/FatVolume.h"
#include "support/CapturedLog.h"
#include "support/FatImagesTest.h"
#include "support/SimulatedWin9x.h"

namespace tarvosk::test {
namespace {

class FatWin9xModeTest : public FatImagesTest {
 protected:
  void TearDown() override {
    FatImagesTest::TearDown();
    RAW_ResetMode();
  }
};

TEST_F(FatWin9xModeTest, AVolumeReadThroughVwin32WalksAsInNtMode) {
  std::u16string drive = attachFatFixture("fat16.img");
  ASSERT_EQ(drive, u"C:");
  DWORD nt = openVolume(drive);
  ASSERT_NE(nt, INVALID_LAYER_HANDLE);
  WalkResult ntWalk = walkVolume(nt);

  SimulatedWin9x sim;
  sim.addVolume(3, readWholeFile(fixturePath("fat16.img")));  // C: is drive 3
  sim.install();
  RAW_Initialize();
  ASSERT_TRUE(RAW_IsWin9xMode());
  CapturedLog log;
  DWORD h = openVolume(drive);
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  EXPECT_EQ(std::u16string(FAT_GetVolumeEntry(h)->devicePath), u"C:") << "the drive name itself is the device path";
  WalkResult walk = walkVolume(h);
  ASSERT_EQ(walk.entries.size(), ntWalk.entries.size());
  for (std::size_t i = 0; i < walk.entries.size(); ++i) {
    EXPECT_EQ(walk.entries[i].name, ntWalk.entries[i].name);
    EXPECT_EQ(walk.entries[i].clusterList, ntWalk.entries[i].clusterList);
  }
  EXPECT_TRUE(log.contains(" FAT INFO  ExtReadLogicalSectors(dev=0x"));
  EXPECT_TRUE(log.contains(", drive=3, sector=0, wsectors=1\r\n"));
  // A read the system refuses is a read failure.
  sim.setCarryOnReturn(true);
  std::vector<std::uint8_t> buffer(512);
  EXPECT_EQ(FAT_ReadSectors(h, 0, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains("__ReadSectors(handle=0x1): ReadFile() failed"));
  FAT_CloseDevice(h);
  RAW_ResetMode();
}

TEST_F(FatWin9xModeTest, ABootSectorThatCannotBeReadFailsTheOpen) {
  std::u16string drive = attachFatFixture("fat12.img");
  SimulatedWin9x sim;  // no volume for drive 3
  sim.install();
  RAW_Initialize();
  CapturedLog log;
  EXPECT_EQ(openVolume(drive), INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains(" FAT ERROR  FAT_OpenDevice(C:): ExtReadLogicalSectors failed\r\n"));
  RAW_ResetMode();
}

}  // namespace
}  // namespace tarvosk::test
