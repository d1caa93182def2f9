// The raw device layer in Windows 9x mode, against a simulated IDE controller, the stand-in
// dsk9x32.dll and a simulated VWIN32: IDENTIFY DEVICE, the CHS conversion of sector reads, the
// extended BIOS services flag, and logical sector reads through VWIN32.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "device/ChsAddress.h"
#include "device/DeviceMode.h"
#include "device/ExtReadLogicalSectors.h"
#include "device/RawDevice.h"
#include "support/CapturedLog.h"
#include "support/SimulatedWin9x.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

class Win9xModeTest : public ::testing::Test {
 protected:
  void SetUp() override { RAW_ResetMode(); }
  void TearDown() override {
    for (DWORD h = 0; h < RAW_MAX_DEVICES; ++h) RAW_CloseDevice(h);
  }
  static SimulatedDrive drive(std::uint16_t configuration, const std::string& model, std::size_t sectors = 64) {
    SimulatedDrive d;
    SimulatedWin9x::setIdentity(d, configuration, 1000, 16, 63, model);
    d.sectors.resize(sectors * 512);
    for (std::size_t i = 0; i < d.sectors.size(); ++i) d.sectors[i] = static_cast<std::uint8_t>(i / 512 + i);
    return d;
  }
  void start(bool library = true, bool withRead = true) {
    if (library) sim_.installLibrary(withRead);
    sim_.install();
    RAW_Initialize();
    ASSERT_TRUE(RAW_IsWin9xMode());
  }
  SimulatedWin9x sim_;
};

TEST_F(Win9xModeTest, Vwin32OpeningChoosesWindows9xMode) {
  start();
  EXPECT_NE(RAW_GetVwin32Handle(), INVALID_HANDLE_VALUE);
  EXPECT_NE(checkInt13Extension32(), nullptr);
  EXPECT_NE(readPhysicalSector32(), nullptr);
  RAW_ResetMode();
  EXPECT_FALSE(RAW_IsWin9xMode());
}

TEST_F(Win9xModeTest, IdentifyGivesGeometryModelAndMediaType) {
  sim_.addDrive(0, drive(0x0040, "SIMULATED DISK MODEL 2000"));
  sim_.addDrive(1, drive(0x0080, "REMOVABLE ONE"));
  sim_.addDrive(2, drive(0x0000, "NEITHER"));
  start();
  CapturedLog log;
  const DWORD expectedMedia[3] = {FixedMedia, RemovableMedia, 0};
  const char* expectedModel[3] = {"SIMULATED DISK MODEL 2000", "REMOVABLE ONE", "NEITHER"};
  for (DWORD device = 0; device < 3; ++device) {
    DWORD h = RAW_OpenDevice(device);
    ASSERT_NE(h, INVALID_LAYER_HANDLE) << device;
    DWORD media = 99, sectorSize = 0;
    std::uint64_t total = 0;
    char label[64];
    RAW_GetMediaType(h, &media);
    RAW_GetSectorSize(h, &sectorSize);
    RAW_GetTotalSectors(h, &total);
    RAW_GetLabel(h, label, sizeof label);
    EXPECT_EQ(media, expectedMedia[device]) << device;
    EXPECT_EQ(sectorSize, 512u);
    EXPECT_EQ(total, 1000u * 16 * 63);
    EXPECT_STREQ(label, expectedModel[device]) << "high byte first, trailing blanks cut";
  }
  EXPECT_TRUE(log.contains(" RAW INFO  RAW_OpenDevice(1): disk=129, cylinders=1000, heads=16, sectors=63, ext13=1\r\n"));
}

TEST_F(Win9xModeTest, IdentifyTalksToTheChannelsPorts) {
  sim_.addDrive(7, drive(0x0040, "LAST SLAVE"));
  sim_.addDrive(4, drive(0x0040, "THIRD MASTER"));
  start();
  ASSERT_NE(RAW_OpenDevice(7), INVALID_LAYER_HANDLE);
  ASSERT_GE(sim_.portWrites().size(), 2u);
  EXPECT_EQ(sim_.portWrites()[0], (std::pair<WORD, DWORD>{0x16E, 0xB0}));
  EXPECT_EQ(sim_.portWrites()[1], (std::pair<WORD, DWORD>{0x16F, 0xEC}));
  ASSERT_NE(RAW_OpenDevice(4), INVALID_LAYER_HANDLE);
  EXPECT_EQ(sim_.portWrites()[2], (std::pair<WORD, DWORD>{0x1EE, 0xA0}));
  EXPECT_EQ(sim_.portWrites()[3], (std::pair<WORD, DWORD>{0x1EF, 0xEC}));
}

TEST_F(Win9xModeTest, MissingAndSilentDrivesFailToOpen) {
  start();
  CapturedLog log;
  EXPECT_EQ(RAW_OpenDevice(0), INVALID_LAYER_HANDLE) << "a floating bus shows the error bit";
  EXPECT_TRUE(log.contains(" RAW INFO  RAW_OpenDevice(0): failed\r\n"));
  sim_.setAbsentStatus(0x00);
  EXPECT_EQ(RAW_OpenDevice(2), INVALID_LAYER_HANDLE) << "a drive that never becomes ready times out";
  EXPECT_EQ(RAW_OpenDevice(8), INVALID_LAYER_HANDLE) << "device numbers above 7 have no port";
  EXPECT_TRUE(log.contains(" RAW INFO  RAW_OpenDevice(8): failed\r\n"));
}

TEST_F(Win9xModeTest, WithoutTheLibraryExt13IsZeroAndReadsCannotBeLocated) {
  sim_.addDrive(0, drive(0x0040, "DISK"));
  start(false);
  CapturedLog log;
  DWORD h = RAW_OpenDevice(0);
  ASSERT_NE(h, INVALID_LAYER_HANDLE);
  EXPECT_TRUE(log.contains("ext13=0"));
  std::vector<std::uint8_t> buffer(512);
  EXPECT_EQ(RAW_ReadSectors(h, 0, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains(" RAW ERROR  RAW_ReadSectors(0): ReadSectors() function cannot be located\r\n"));
}

TEST_F(Win9xModeTest, ALibraryWithoutTheReadFunctionFailsReads) {
  sim_.addDrive(0, drive(0x0040, "DISK"));
  start(true, false);
  DWORD h = RAW_OpenDevice(0);
  std::vector<std::uint8_t> buffer(512);
  CapturedLog log;
  EXPECT_EQ(RAW_ReadSectors(h, 0, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains("ReadSectors() function cannot be located"));
}

TEST_F(Win9xModeTest, ReadsPassCylinderHeadSectorAndTheLba) {
  SimulatedDrive d = drive(0x0040, "DISK", 2100);
  d.ext13 = 0;
  sim_.addDrive(1, d);
  start();
  DWORD h = RAW_OpenDevice(1);
  std::vector<std::uint8_t> buffer(3 * 512);
  ASSERT_EQ(RAW_ReadSectors(h, 2016, 3, buffer.data()), 0u);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), d.sectors.begin() + 2016 * 512));
  const PhysicalReadCall& call = sim_.lastRead();
  EXPECT_EQ(call.drive, 0x81);
  EXPECT_EQ(call.cylinder, 2);  // 2016 = 2 x (16 x 63)
  EXPECT_EQ(call.head, 0);
  EXPECT_EQ(call.sector, 1);
  EXPECT_EQ(call.count, 3u);
  EXPECT_EQ(call.lbaHigh, 0u);
  EXPECT_EQ(call.lbaLow, 2016u);
  EXPECT_EQ(call.ext13, 0u);
  ASSERT_EQ(RAW_ReadSectors(h, 1007, 1, buffer.data()), 0u);
  EXPECT_EQ(sim_.lastRead().cylinder, 0);
  EXPECT_EQ(sim_.lastRead().head, 15);
  EXPECT_EQ(sim_.lastRead().sector, 63);
  sim_.setReadResult(0);
  CapturedLog log;
  EXPECT_EQ(RAW_ReadSectors(h, 0, 1, buffer.data()), 1u);
  EXPECT_TRUE(log.contains(" RAW ERROR  RAW_ReadSectors(0): ReadSectors() failed\r\n"));
}

TEST_F(Win9xModeTest, ChsConversionKeepsItsFieldWidths) {
  ChsAddress a = chsFromLba(0, 16, 63);
  EXPECT_EQ(a.cylinder, 0);
  EXPECT_EQ(a.head, 0);
  EXPECT_EQ(a.sector, 1);
  ChsAddress b = chsFromLba(16 * 63 * 70000ull + 5 * 63 + 9, 16, 63);
  EXPECT_EQ(b.cylinder, static_cast<WORD>(70000)) << "the cylinder is kept to 16 bits";
  EXPECT_EQ(b.head, 5);
  EXPECT_EQ(b.sector, 10);
  ChsAddress z = chsFromLba(12345, 0, 63);
  EXPECT_EQ(z.cylinder, 0) << "no geometry: no division by zero";
  EXPECT_EQ(z.sector, 1);
}

TEST_F(Win9xModeTest, LogicalReadsUseFunction7305AfterWindows95) {
  std::vector<std::uint8_t> volume(16 * 512);
  for (std::size_t i = 0; i < volume.size(); ++i) volume[i] = static_cast<std::uint8_t>(i * 7);
  sim_.addVolume(3, volume);
  start();
  OSVERSIONINFOEXW v{};
  v.dwMajorVersion = 4;
  v.dwMinorVersion = 10;
  v.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  setReportedVersion(v);
  std::vector<std::uint8_t> buffer(2 * 512);
  CapturedLog log;
  ASSERT_EQ(ExtReadLogicalSectors(RAW_GetVwin32Handle(), 3, 5, 2, buffer.data()), TRUE);
  EXPECT_TRUE(std::equal(buffer.begin(), buffer.end(), volume.begin() + 5 * 512));
  const Vwin32Call& call = sim_.lastVwin32();
  EXPECT_EQ(call.controlCode, VWIN32_DIOC_DOS_DRIVEINFO);
  EXPECT_EQ(call.registers.reg_EAX, 0x7305u);
  EXPECT_EQ(call.registers.reg_ECX, 0xFFFFFFFFu);
  EXPECT_EQ(call.registers.reg_EDX, 3u);
  EXPECT_EQ(call.registers.reg_ESI, 0u);
  EXPECT_EQ(call.packetFirstSector, 5u);
  EXPECT_EQ(call.packetCount, 2);
  EXPECT_TRUE(log.contains(" FAT INFO  ExtReadLogicalSectors(dev=0x"));
  EXPECT_FALSE(log.contains("old windows version"));
}

TEST_F(Win9xModeTest, LogicalReadsUseInterrupt25OnWindows95) {
  std::vector<std::uint8_t> volume(8 * 512, 0x5A);
  sim_.addVolume(1, volume);
  start();
  for (const char16_t* servicePack : {u"", u" A", u" B", u" C"}) {
    OSVERSIONINFOEXW v{};
    v.dwMajorVersion = 4;
    v.dwMinorVersion = 0;
    v.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
    std::u16string sp = servicePack;
    std::copy(sp.begin(), sp.end(), v.szCSDVersion);
    setReportedVersion(v);
    std::vector<std::uint8_t> buffer(512);
    CapturedLog log;
    ASSERT_EQ(ExtReadLogicalSectors(RAW_GetVwin32Handle(), 1, 0, 1, buffer.data()), TRUE);
    EXPECT_EQ(buffer[0], 0x5A);
    const bool old = sp.size() < 2 || (sp[1] != u'B' && sp[1] != u'C');
    const Vwin32Call& call = sim_.lastVwin32();
    if (old) {
      EXPECT_EQ(call.controlCode, VWIN32_DIOC_DOS_INT25);
      EXPECT_EQ(call.registers.reg_EAX, 0u) << "A: is 0 for interrupt 25h";
      EXPECT_EQ(call.registers.reg_ECX, 0xFFFFu);
      EXPECT_TRUE(log.contains("ExtReadLogicalSectors(dev=0x"));
      EXPECT_TRUE(log.contains(", drive=1, sector=0, wsectors=1): old windows version"));
    } else {
      EXPECT_EQ(call.controlCode, VWIN32_DIOC_DOS_DRIVEINFO) << "OSR2 knows function 7305h";
    }
  }
}

TEST_F(Win9xModeTest, ACarryFlagOnReturnIsAFailure) {
  sim_.addVolume(3, std::vector<std::uint8_t>(8 * 512));
  start();
  sim_.setCarryOnReturn(true);
  std::vector<std::uint8_t> buffer(512);
  EXPECT_EQ(ExtReadLogicalSectors(RAW_GetVwin32Handle(), 3, 0, 1, buffer.data()), FALSE);
  EXPECT_EQ(ExtReadLogicalSectors(RAW_GetVwin32Handle(), 4, 0, 1, buffer.data()), FALSE) << "no such drive";
}

}  // namespace
}  // namespace tarvosk::test
