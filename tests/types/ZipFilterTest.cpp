// The ZIP recogniser: from a local file header to the first end of central directory record and
// its comment, with archives made by zip.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/DocTestSupport.h"
#include "types/ZipFilter.h"

namespace tarvosk {
namespace {

using test::Bytes;
using test::SyntheticDisk;

void feed(CZipFilter& zip, ByteSpan disk, std::uint32_t unitSize, std::set<std::uint64_t> unavailable = {}) {
  test::FeedOptions options;
  options.unitSize = unitSize;
  options.unavailable = std::move(unavailable);
  test::feedUnits(zip, disk, options);
}

// A local header at 0 and an end record (with commentLength) at offset at of unit endUnit.
Bytes handZip(std::uint32_t unitSize, std::uint64_t endUnit, std::size_t at, std::uint16_t commentLength = 0,
              std::uint8_t p = 0x50, std::uint8_t k = 0x4B) {
  Bytes b(unitSize * (endUnit + 1) + unitSize, 0x11);
  b[0] = 0x50, b[1] = 0x4B, b[2] = 0x03, b[3] = 0x04;
  std::uint8_t* end = &b[unitSize * endUnit + at];
  end[0] = p, end[1] = k, end[2] = 0x05, end[3] = 0x06;
  putLe16(end + 20, commentLength);
  return b;
}

TEST(ZipFilter, Type) {
  CZipFilter zip;
  EXPECT_EQ(zip.GetExtension(), u".zip");
  EXPECT_EQ(zip.GetName(), u"ZIP 文件");
  EXPECT_EQ(zip.GetCategory(), u"压缩包");
}

class RealZip : public ::testing::TestWithParam<std::tuple<const char*, std::uint32_t>> {};

TEST_P(RealZip, IsFoundWithItsTrueLengthCommentIncluded) {
  const auto [name, unitSize] = GetParam();
  const Bytes original = test::readWholeFile(test::fixturePath(name));
  SyntheticDisk disk(unitSize, 41);
  disk.random(2);
  const std::uint64_t start = disk.place(original);
  disk.random(2);
  CZipFilter zip;
  feed(zip, disk.span(), unitSize);
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].startUnit, start);
  EXPECT_EQ(zip.GetResults()[0].length, original.size());
  EXPECT_EQ(zip.GetResults()[0].chance, kChanceMayBeGood);
  EXPECT_EQ(disk.carve(start, original.size()), original);
}

INSTANTIATE_TEST_SUITE_P(ZipFilter, RealZip,
                         ::testing::Combine(::testing::Values("plain.zip", "commented.zip"),
                                            ::testing::Values(512u, 4096u)),
                         test::FixtureCaseName{});

TEST(ZipFilter, EndRecordAtOffset100OfTheSecondUnit) {
  const Bytes disk = handZip(4096, 1, 100);
  CZipFilter zip;
  feed(zip, disk, 4096);
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].length, 4218u);
  EXPECT_EQ(zip.GetResults()[0].chance, kChanceMayBeGood);
}

TEST(ZipFilter, CommentLengthIsAdded) {
  const Bytes disk = handZip(512, 2, 30, 300);
  CZipFilter zip;
  feed(zip, disk, 512);
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].length, 512u * 2 + 30 + 22 + 300);
}

// A record that starts in the unit's last 4 bytes has its comment length in the look-ahead,
// which is read from a window fenced by an unreadable page.
TEST(ZipFilter, CommentLengthInTheLookAhead) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    const Bytes disk = handZip(unitSize, 1, unitSize - 4, 7);
    CZipFilter zip;
    test::GuardedUnit(unitSize).feed(zip, disk);
    ASSERT_EQ(zip.GetResults().size(), 1u);
    EXPECT_EQ(zip.GetResults()[0].length, unitSize + (unitSize - 4) + 22 + 7u);
  }
}

TEST(ZipFilter, EndSignatureIgnoresAsciiCase) {
  const Bytes disk = handZip(512, 1, 64, 0, 0x70, 0x6B);
  CZipFilter zip;
  feed(zip, disk, 512);
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].length, 512u + 64 + 22);
}

TEST(ZipFilter, NewLocalHeaderClosesTheOpenArchive) {
  Bytes disk(512 * 3, 0x22);
  disk[0] = 0x50, disk[1] = 0x4B, disk[2] = 0x03, disk[3] = 0x04;
  const Bytes second = handZip(512, 1, 10);
  disk.insert(disk.end(), second.begin(), second.end());
  CZipFilter zip;
  feed(zip, disk, 512);
  ASSERT_EQ(zip.GetResults().size(), 2u);
  EXPECT_EQ(zip.GetResults()[0].startUnit, 0u);
  EXPECT_EQ(zip.GetResults()[0].length, 512u * 3);
  EXPECT_EQ(zip.GetResults()[0].chance, kChancePoor);
  EXPECT_EQ(zip.GetResults()[1].startUnit, 3u);
  EXPECT_EQ(zip.GetResults()[1].length, 512u + 10 + 22);
}

TEST(ZipFilter, UnavailableUnitGivesChancePoor) {
  const Bytes disk = handZip(512, 3, 0);
  CZipFilter zip;
  feed(zip, disk, 512, {1});
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].length, 512u * 3 + 22);
  EXPECT_EQ(zip.GetResults()[0].chance, kChancePoor);
}

TEST(ZipFilter, ArchiveOpenAtTheEndIsNotReported) {
  Bytes disk(512 * 4, 0x33);
  disk[0] = 0x50, disk[1] = 0x4B, disk[2] = 0x03, disk[3] = 0x04;
  CZipFilter zip;
  feed(zip, disk, 512);
  EXPECT_TRUE(zip.GetResults().empty());
}

// 2 GB: one 1 MiB unit with a local header, then unavailable units.
TEST(ZipFilter, LimitIsTwoGigabytes) {
  constexpr std::uint32_t kUnit = 1u << 20;
  Bytes first(2 * kUnit, 0x44);
  first[0] = 0x50, first[1] = 0x4B, first[2] = 0x03, first[3] = 0x04;
  CZipFilter zip;
  zip.Feed(0, first.data(), kUnit);
  std::uint64_t u = 1;
  for (; u < 4096 && zip.GetResults().empty(); ++u) zip.Feed(u, nullptr, kUnit);
  ASSERT_EQ(zip.GetResults().size(), 1u);
  EXPECT_EQ(zip.GetResults()[0].length, kMaxZipFileLength);
  EXPECT_EQ(zip.GetResults()[0].chance, kChancePoor);
  EXPECT_EQ(u, kMaxZipFileLength / kUnit + 1);
}

}  // namespace
}  // namespace tarvosk
