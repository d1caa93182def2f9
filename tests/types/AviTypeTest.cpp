// AVI videos: the RIFF chunk size plus the chunk header is the length, unrated, found at once.
#include <gtest/gtest.h>

#include <cstring>

#include "support/UnitFeeder.h"
#include "types/AviType.h"
#include "types/CarvingDisk.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

std::vector<std::uint8_t> riffHeader(std::uint32_t size, const char* form = "AVI ") {
  std::vector<std::uint8_t> b(64, 0);
  std::memcpy(b.data(), "RIFF", 4);
  putLe32(b.data() + 4, size);
  std::memcpy(b.data() + 8, form, 4);
  return b;
}

TEST(AviType, NamesItsType) {
  CAviType avi;
  EXPECT_EQ(avi.GetExtension(), u".avi");
  EXPECT_EQ(avi.GetName(), u"AVI 文件");
  EXPECT_EQ(avi.GetCategory(), u"音乐和视频");
}

TEST(AviType, FindsFfmpegVideoAtItsStartWithItsLength) {
  const auto clip = test::mediaFixture("clip.avi");
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize, 5);
    disk.noise(2);
    const std::uint64_t start = disk.place(clip);
    disk.noise(3);
    CAviType avi;
    test::feedUnits(avi, disk.bytes(), test::opts(unitSize));
    const FoundFile* found = test::foundAt(avi.GetResults(), start);
    test::expectFile(found, start, clip.size(), kChanceNotRated);
    EXPECT_EQ(disk.carve(*found), clip);
  }
}

TEST(AviType, SizeFieldOfOneThousandGivesOneThousandAndEight) {
  SyntheticDisk disk(512);
  disk.zeros(1);
  disk.place(riffHeader(1000));
  CAviType avi;
  test::feedUnits(avi, disk.bytes());
  ASSERT_EQ(avi.GetResults().size(), 1u);
  test::expectFile(&avi.GetResults()[0], 1, 1008, kChanceNotRated);
}

TEST(AviType, LargestSizeFieldIsCountedWithoutWrapping) {
  SyntheticDisk disk(512);
  disk.place(riffHeader(0xFFFFFFFF));
  CAviType avi;
  test::feedUnits(avi, disk.bytes());
  ASSERT_EQ(avi.GetResults().size(), 1u);
  EXPECT_EQ(avi.GetResults()[0].length, 0xFFFFFFFFull + 8);
}

TEST(AviType, OtherRiffFormsAndLowerCaseAreNotVideos) {
  SyntheticDisk disk(512);
  disk.place(riffHeader(1000, "WAVE"));
  disk.place(riffHeader(1000, "avi "));
  CAviType avi;
  test::feedUnits(avi, disk.bytes());
  EXPECT_TRUE(avi.GetResults().empty());
}

TEST(AviType, UnavailableUnitsAreIgnored) {
  SyntheticDisk disk(512);
  disk.place(riffHeader(100));
  disk.place(riffHeader(200));
  CAviType avi;
  test::feedUnits(avi, disk.bytes(), test::opts(512, {0}));
  ASSERT_EQ(avi.GetResults().size(), 1u);
  test::expectFile(&avi.GetResults()[0], 1, 208, kChanceNotRated);
}

}  // namespace
}  // namespace tarvosk
