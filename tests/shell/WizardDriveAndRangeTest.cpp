// The scan wizard's drive check and range rules, on volumes and disks made by real tools.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/CodePage.h"
#include "platform/WinError.h"
#include "shell/WizardDriveCheck.h"
#include "shell/WizardRange.h"
#include "support/AttachedImages.h"
#include "support/FatOracle.h"
#include "support/TestSupport.h"
#include "volfs/FileSystems.h"

namespace tarvosk::test {
namespace {

class WizardDriveAndRangeTest : public AttachedImagesTest {
 protected:
  void SetUp() override {
    AttachedImagesTest::SetUp();
    registerFileSystemProviders();
  }
};

TEST_F(WizardDriveAndRangeTest, EachWayADriveFailsToOpenHasItsMessage) {
  const AttachOptions removable{.removable = true, .badSectors = {}};
  // Letters in the order attached: one volume per image.
  attachFixture("fat16.img");                        // C:
  attachFixture("ntfs.img");                         // D:
  attachFixture("oddtype.img");                      // E: FAT in a Linux-typed partition
  attachFixture("extendedtyped.img");                // F: FAT in an extended-typed partition
  attachFixture("ntfstyped.img");                    // G: FAT in an NTFS-typed partition
  attachFixture("unformatted.img");                  // H: NTFS-typed, never formatted
  attachFixture("ntfstyped.img", removable);         // I: G on a removable disk: opened as FAT
  attachFixture("exfat-mbr.img");                    // J: exFAT in an NTFS-typed partition
  attachFixture("exfat-4k.img", removable);          // K: exFAT on a removable disk
  const std::u16string unrecognised = systemErrorText(ERROR_UNRECOGNIZED_VOLUME);
  const struct {
    WizardScanType type;
    std::u16string drive;
    std::u16string problem;
  } cases[] = {
      {WizardScanType::Physical, u"C:", u""},
      {WizardScanType::Physical, u"D:", u""},
      {WizardScanType::Physical, u"E:", u"无法打开驱动器 E:\n分区类型无法识别"},
      {WizardScanType::Physical, u"F:", u"无法打开驱动器 F:\n分区类型无法识别"},
      {WizardScanType::Physical, u"G:", u"打开驱动器 G: 错误。请确定您拥有管理员权限。"},
      {WizardScanType::Physical, u"H:", u"无法打开驱动器 H:\n" + unrecognised},
      {WizardScanType::Physical, u"I:", u""},
      {WizardScanType::Physical, u"J:", u""},
      {WizardScanType::Physical, u"K:", u""},
      {WizardScanType::Thorough, u"{:", u""},
      {WizardScanType::Thorough, std::u16string{char16_t(123 + 12), u':'},
       u"无法打开设备\n" + systemErrorText(ERROR_FILE_NOT_FOUND)},
  };
  for (const auto& c : cases)
    EXPECT_EQ(utf16ToUtf8(wizardDriveProblem(c.type, c.drive)), utf16ToUtf8(c.problem)) << utf16ToUtf8(c.drive);
}

TEST_F(WizardDriveAndRangeTest, TheRangeCountsClustersOfAVolumeAndSectorsOfADrive) {
  attachFixture("fat16.img");        // C:, physical drive 0
  attachFixture("unformatted.img");  // D:, physical drive 1
  EXPECT_EQ(wizardUnitCount(WizardScanType::Physical, u"C:"), readFatOracle(fixturePath("fat16.img")).totalClusters);
  EXPECT_EQ(wizardUnitCount(WizardScanType::Thorough, u"|:"), std::filesystem::file_size(fixturePath("unformatted.img")) / 512);
  EXPECT_EQ(wizardUnitCount(WizardScanType::Physical, u"D:"), 0u) << "no cluster count: a range of 0 to 0";
  EXPECT_EQ(wizardUnitCount(WizardScanType::Thorough, u"}:"), 0u);
}

TEST(WizardRangeEditsTest, TypedNumbersMoveTheValuesWithinTheRange) {
  EXPECT_EQ(typedNumber(u"  -42x"), -42);
  EXPECT_EQ(typedNumber(u"+7"), 7);
  EXPECT_EQ(typedNumber(u"abc"), 0);
  EXPECT_EQ(typedNumber(u"99999999999999999999"), INT64_MAX);
  EXPECT_EQ(typedNumber(u"-99999999999999999999"), INT64_MIN);

  RangeSliderModel range;
  range.setRange(0, 1000);
  range.setValues(100, 500);
  auto apply = [&range](RangeValues v) { range.setValues(v.left, v.right); };
  apply(endTyped(range, u"5000"));
  EXPECT_EQ(range.right(), 1000) << "an end above the maximum becomes the maximum";
  EXPECT_EQ(range.left(), 100);
  apply(endTyped(range, u"600"));
  apply(startTyped(range, u"800"));
  EXPECT_EQ(range.left(), 800);
  EXPECT_EQ(range.right(), 800) << "a start above the end moves the end up";
  apply(startTyped(range, u"-5"));
  EXPECT_EQ(range.left(), 0) << "raised to the minimum";
  apply(endTyped(range, u"-5"));
  EXPECT_EQ(range.left(), 0);
  EXPECT_EQ(range.right(), 0) << "an end below the start takes the start down, both kept in bounds";
  apply(startTyped(range, u"2000"));
  EXPECT_EQ(range.left(), 1000);
  EXPECT_EQ(range.right(), 1000);
}

}  // namespace
}  // namespace tarvosk::test
