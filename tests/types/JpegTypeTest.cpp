// JPEG pictures: segments skipped by their lengths up to the start of scan, then the end-of-image
// marker; chance 2 for an interrupted file, a broken marker chain, a new start or the 25 MB limit.
#include <gtest/gtest.h>

#include "types/CarvingDisk.h"
#include "types/JpegType.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

// A JPEG of exactly total bytes: start marker, an APP0 segment, a start of scan with an 8-byte
// header, scan bytes without markers, end marker in the last two bytes.
std::vector<std::uint8_t> jpeg(std::size_t total, std::uint16_t app0Length = 16) {
  std::vector<std::uint8_t> b(total, 0x55);
  b[0] = 0xFF;
  b[1] = 0xD8;
  b[2] = 0xFF;
  b[3] = 0xE0;
  test::putBe16(b.data() + 4, app0Length);
  const std::size_t sos = 4 + app0Length;
  b[sos] = 0xFF;
  b[sos + 1] = 0xDA;
  test::putBe16(b.data() + sos + 2, 8);
  b[total - 2] = 0xFF;
  b[total - 1] = 0xD9;
  return b;
}

TEST(JpegType, NamesItsType) {
  CJpegType jpg;
  EXPECT_EQ(jpg.GetExtension(), u".jpg");
  EXPECT_EQ(jpg.GetName(), u"Jpeg 图像");
  EXPECT_EQ(jpg.GetCategory(), u"图像和数码相机");
}

TEST(JpegType, FindsCjpegImageMagickAndExifThumbnailPicturesWithTheirLengths) {
  const auto cjpeg = test::mediaFixture("cjpeg.jpg");
  const auto magick = test::mediaFixture("magick.jpg");
  const auto exif = test::mediaFixture("exif.jpg");
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize, 11);
    disk.noise(2);
    const std::uint64_t a = disk.place(cjpeg);
    disk.noise(1);
    const std::uint64_t b = disk.place(magick);
    const std::uint64_t c = disk.place(exif);
    disk.zeros(2).noise(2);
    CJpegType jpg;
    test::feedUnits(jpg, disk.bytes(), test::opts(unitSize));
    ASSERT_EQ(jpg.GetResults().size(), 3u) << "unit size " << unitSize;
    test::expectFile(&jpg.GetResults()[0], a, cjpeg.size(), kChanceMayBeGood);
    test::expectFile(&jpg.GetResults()[1], b, magick.size(), kChanceMayBeGood);
    // The thumbnail's own end marker inside APP1 is skipped with its segment.
    test::expectFile(&jpg.GetResults()[2], c, exif.size(), kChanceMayBeGood);
    EXPECT_EQ(disk.carve(jpg.GetResults()[2]), exif);
  }
}

TEST(JpegType, EndMarkerAtOffsetHundredOfTheThirdUnitGivesTwoUnitsAndHundredTwo) {
  SyntheticDisk disk(512);
  disk.place(jpeg(1024 + 102));
  disk.noise(2);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 1024 + 102, kChanceMayBeGood);
}

TEST(JpegType, TwoStartsInARowReportTheFirstWithOneUnitAndChanceTwo) {
  SyntheticDisk disk(512);
  auto first = jpeg(2000);
  first.resize(512);  // its end is overwritten by the next start
  disk.place(first);
  disk.place(jpeg(700));
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 2u);
  test::expectFile(&jpg.GetResults()[0], 0, 512, kChancePoor);
  test::expectFile(&jpg.GetResults()[1], 1, 700, kChanceMayBeGood);
}

TEST(JpegType, ScanInterruptedByAUnitInUseGetsChanceTwo) {
  SyntheticDisk disk(512);
  disk.place(jpeg(1024 + 102));
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes(), test::opts(512, {1}));
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 1024 + 102, kChancePoor);
}

TEST(JpegType, NoEndWithinTwentyFiveMegabytesGivesTheLimitAndChanceTwo) {
  auto open = jpeg(26 * 1024 * 1024);
  open[open.size() - 2] = 0x55;  // no end marker anywhere
  SyntheticDisk disk(4096);
  disk.place(open);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes(), test::opts(4096));
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 26'214'400, kChancePoor);
}

TEST(JpegType, MarkerWhereTheWalkExpectsNoneClosesThroughTheUnitWithChanceTwo) {
  auto broken = jpeg(3000);
  broken[20] = 0x00;  // the start of scan lost its marker prefix
  SyntheticDisk disk(512);
  disk.place(broken);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 512, kChancePoor);
}

TEST(JpegType, MarkerExpectedInAUnitInUseClosesTheFileThroughThatUnit) {
  // APP0 runs to offset 600, so the start of scan is expected in unit 1, which is in use.
  SyntheticDisk disk(512);
  disk.place(jpeg(3000, 596));
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes(), test::opts(512, {1}));
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 1024, kChancePoor);
}

TEST(JpegType, SegmentsCrossingUnitBoundariesAreFollowed) {
  // APP0 ends at offset 510: the start of scan marker straddles units 0 and 1 and its length
  // bytes lie in unit 1 (read from the look-ahead).
  for (int app0 : {506, 507, 508, 509, 1500}) {
    SyntheticDisk disk(512);
    disk.place(jpeg(4000, static_cast<std::uint16_t>(app0)));
    disk.noise(1);
    CJpegType jpg;
    test::feedUnits(jpg, disk.bytes());
    ASSERT_EQ(jpg.GetResults().size(), 1u) << "APP0 length " << app0;
    test::expectFile(&jpg.GetResults()[0], 0, 4000, kChanceMayBeGood);
  }
}

TEST(JpegType, EndMarkerInsideASegmentBeforeTheScanIsNotTheEnd) {
  auto b = jpeg(3000, 1200);
  b[300] = 0xFF;  // an end marker inside APP0 (as in an embedded thumbnail)
  b[301] = 0xD9;
  SyntheticDisk disk(512);
  disk.place(b);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 3000, kChanceMayBeGood);
}

TEST(JpegType, LongestSegmentLengthIsSkippedWhole) {
  // A segment length of 0xFFFF means a skip of 65537 bytes to the next marker.
  auto b = jpeg(70000, 0xFFFF);
  SyntheticDisk disk(512);
  disk.place(b);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 70000, kChanceMayBeGood);
}

TEST(JpegType, MarkersWithoutLengthAreSteppedOver) {
  // Between APP0 and the start of scan: a restart marker (no length) and a DQT segment.
  std::vector<std::uint8_t> b(1500, 0x55);
  const std::uint8_t head[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x04, 0x00, 0x00, 0xFF, 0xD3,
                               0xFF, 0xDB, 0x00, 0x05, 0x00, 0x00, 0x00, 0xFF, 0xDA, 0x00, 0x03, 0x00};
  std::copy(std::begin(head), std::end(head), b.begin());
  b[1200] = 0xFF;
  b[1201] = 0xD9;
  SyntheticDisk disk(512);
  disk.place(b);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  ASSERT_EQ(jpg.GetResults().size(), 1u);
  test::expectFile(&jpg.GetResults()[0], 0, 1202, kChanceMayBeGood);
}

TEST(JpegType, FileStillOpenAtTheEndIsNotReportedAndResetForgetsIt) {
  auto b = jpeg(3000);
  b.resize(1024);
  SyntheticDisk disk(512);
  disk.place(b);
  CJpegType jpg;
  test::feedUnits(jpg, disk.bytes());
  EXPECT_TRUE(jpg.GetResults().empty());
  // After a reset the open file is gone: its end arriving now is not a find.
  jpg.Reset();
  std::vector<std::uint8_t> tail(512, 0x55);
  tail[10] = 0xFF;
  tail[11] = 0xD9;
  test::feedUnits(jpg, tail, [] { test::FeedOptions o; o.firstUnit = 2; return o; }());
  EXPECT_TRUE(jpg.GetResults().empty());
}

}  // namespace
}  // namespace tarvosk
