// BMP pictures: the header's size field is the length, unrated, found at once.
#include <gtest/gtest.h>

#include "support/UnitFeeder.h"
#include "types/BmpType.h"
#include "types/CarvingDisk.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

std::vector<std::uint8_t> bmpHeader(std::uint32_t size, std::uint32_t reserved = 0) {
  std::vector<std::uint8_t> b(54, 0);
  b[0] = 'B';
  b[1] = 'M';
  putLe32(b.data() + 2, size);
  putLe32(b.data() + 6, reserved);
  return b;
}

TEST(BmpType, NamesItsType) {
  CBmpType bmp;
  EXPECT_EQ(bmp.GetExtension(), u".bmp");
  EXPECT_EQ(bmp.GetName(), u"BMP 图像");
  EXPECT_EQ(bmp.GetCategory(), u"图像和数码相机");
}

TEST(BmpType, FindsImageMagickPictureAtItsStartWithItsLength) {
  const auto picture = test::mediaFixture("picture.bmp");
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize);
    disk.noise(3);
    const std::uint64_t start = disk.place(picture);
    disk.noise(2).zeros(1);
    CBmpType bmp;
    test::feedUnits(bmp, disk.bytes(), test::opts(unitSize));
    ASSERT_EQ(bmp.GetResults().size(), 1u);
    test::expectFile(&bmp.GetResults()[0], start, picture.size(), kChanceNotRated);
    EXPECT_EQ(disk.carve(bmp.GetResults()[0]), picture);
  }
}

TEST(BmpType, SizeFieldAtTheLimitIsIgnoredAndJustBelowIsReported) {
  SyntheticDisk disk(512);
  disk.place(bmpHeader(0x1900000));
  const std::uint64_t below = disk.place(bmpHeader(0x18FFFFF));
  CBmpType bmp;
  test::feedUnits(bmp, disk.bytes());
  ASSERT_EQ(bmp.GetResults().size(), 1u);
  test::expectFile(&bmp.GetResults()[0], below, 0x18FFFFF, kChanceNotRated);
}

TEST(BmpType, SizeFieldZeroIsReportedWithLengthZero) {
  SyntheticDisk disk(512);
  disk.place(bmpHeader(0));
  CBmpType bmp;
  test::feedUnits(bmp, disk.bytes());
  ASSERT_EQ(bmp.GetResults().size(), 1u);
  test::expectFile(&bmp.GetResults()[0], 0, 0, kChanceNotRated);
}

TEST(BmpType, NonZeroReservedWordsOrOtherSignatureAreNotPictures) {
  SyntheticDisk disk(512);
  disk.place(bmpHeader(1000, 1));
  auto other = bmpHeader(1000);
  other[1] = 'm';
  disk.place(other);
  CBmpType bmp;
  test::feedUnits(bmp, disk.bytes());
  EXPECT_TRUE(bmp.GetResults().empty());
}

TEST(BmpType, UnavailableUnitsAreIgnoredAndEachHeaderIsReportedAtOnce) {
  SyntheticDisk disk(512);
  disk.place(bmpHeader(2000));
  disk.place(bmpHeader(3000));
  disk.place(bmpHeader(4000));
  CBmpType bmp;
  test::feedUnits(bmp, disk.bytes(), test::opts(512, {1}));
  ASSERT_EQ(bmp.GetResults().size(), 2u);
  test::expectFile(&bmp.GetResults()[0], 0, 2000, kChanceNotRated);
  test::expectFile(&bmp.GetResults()[1], 2, 4000, kChanceNotRated);
}

TEST(BmpType, HeaderInsideAUnitIsNotAStart) {
  std::vector<std::uint8_t> disk(1024, 0);
  const auto header = bmpHeader(500);
  std::copy(header.begin(), header.end(), disk.begin() + 100);
  CBmpType bmp;
  test::feedUnits(bmp, disk);
  EXPECT_TRUE(bmp.GetResults().empty());
}

}  // namespace
}  // namespace tarvosk
