// Canon CRW camera raw images: closed at the root heap's trailer, whose table count may lie in
// the carried-over bytes of the previous unit.
#include <gtest/gtest.h>

#include <cstring>

#include "types/CanonRawType.h"
#include "types/CarvingDisk.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

// A CIFF file of total bytes whose root table holds entries entries: 26-byte header, heap bytes,
// table (count and 10-byte entries) and the 4-byte trailer with the table's offset from byte 26.
std::vector<std::uint8_t> crw(std::size_t total, std::uint16_t entries, bool little = true) {
  std::vector<std::uint8_t> b(total, 0x11);
  std::memcpy(b.data(), little ? "II" : "MM", 2);
  std::memset(b.data() + 2, 0, 24);
  if (little) putLe32(b.data() + 2, 26); else test::putBe32(b.data() + 2, 26);
  std::memcpy(b.data() + 6, "HEAPCCDR", 8);
  const std::size_t trailer = total - 4;
  const std::size_t count = trailer - 2 - 10u * entries;
  const auto tableOffset = static_cast<std::uint32_t>(count - 26);
  if (little) {
    putLe16(b.data() + count, entries);
    putLe32(b.data() + trailer, tableOffset);
  } else {
    test::putBe16(b.data() + count, entries);
    test::putBe32(b.data() + trailer, tableOffset);
  }
  return b;
}

TEST(CanonRawType, NamesItsType) {
  CCanonRawType raw;
  EXPECT_EQ(raw.GetExtension(), u".crw");
  EXPECT_EQ(raw.GetName(), u"Canon 原始图像");
  EXPECT_EQ(raw.GetCategory(), u"图像和数码相机");
}

TEST(CanonRawType, ClosesLittleAndBigEndianFilesAtTheirTrailer) {
  for (bool little : {true, false}) {
    for (std::uint32_t unitSize : {512u, 4096u}) {
      const auto file = crw(3 * unitSize + 300, 7, little);
      SyntheticDisk disk(unitSize, 3);
      disk.noise(2);
      const std::uint64_t start = disk.place(file);
      disk.noise(3);
      CCanonRawType raw;
      test::feedUnits(raw, disk.bytes(), test::opts(unitSize));
      ASSERT_EQ(raw.GetResults().size(), 1u) << (little ? "II " : "MM ") << unitSize;
      test::expectFile(&raw.GetResults()[0], start, file.size(), kChanceMayBeGood);
      EXPECT_EQ(disk.carve(raw.GetResults()[0]), file);
    }
  }
}

TEST(CanonRawType, TableCountInTheLastBytesOfThePreviousUnitStillCloses) {
  // Trailer at offset 20 of unit 3; the count, 52 bytes before it, lies at offset 480 of unit 2.
  const auto file = crw(3 * 512 + 24, 5);
  SyntheticDisk disk(512);
  disk.place(file);
  disk.noise(2);
  CCanonRawType raw;
  test::feedUnits(raw, disk.bytes());
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, file.size(), kChanceMayBeGood);
}

TEST(CanonRawType, TrailerInTheLastFourBytesOfAUnitCloses) {
  const auto file = crw(4 * 512, 3);
  SyntheticDisk disk(512);
  disk.place(file);
  disk.noise(2);
  CCanonRawType raw;
  test::feedUnits(raw, disk.bytes());
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, 4 * 512, kChanceMayBeGood);
}

TEST(CanonRawType, TrailerStraddlingTwoUnitsCloses) {
  for (std::size_t past : {1u, 2u, 3u}) {
    const auto file = crw(4 * 512 + past, 3);
    SyntheticDisk disk(512);
    disk.place(file);
    disk.noise(2);
    CCanonRawType raw;
    test::feedUnits(raw, disk.bytes());
    ASSERT_EQ(raw.GetResults().size(), 1u) << past;
    test::expectFile(&raw.GetResults()[0], 0, file.size(), kChanceMayBeGood);
  }
}

TEST(CanonRawType, UnitInUseLowersTheChance) {
  const auto file = crw(3000, 4);
  SyntheticDisk disk(512);
  disk.place(file);
  CCanonRawType raw;
  test::feedUnits(raw, disk.bytes(), test::opts(512, {2}));
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, 3000, kChancePoor);
}

TEST(CanonRawType, TrailerBeforeOneKilobyteIsNotSeenAndTheNextStartClosesTheFile) {
  SyntheticDisk disk(512);
  disk.place(crw(900, 2));
  disk.noise(2);
  const std::uint64_t second = disk.place(crw(2500, 2));
  CCanonRawType raw;
  test::feedUnits(raw, disk.bytes());
  ASSERT_EQ(raw.GetResults().size(), 2u);
  test::expectFile(&raw.GetResults()[0], 0, second * 512, kChancePoor);
  test::expectFile(&raw.GetResults()[1], second, 2500, kChanceMayBeGood);
}

TEST(CanonRawType, NoTrailerWithinTwentyFiveMegabytesGivesTheLimit) {
  auto file = crw(26 * 1024 * 1024, 2);
  std::memset(file.data() + file.size() - 64, 0x11, 64);  // no table, no trailer
  SyntheticDisk disk(4096);
  disk.place(file);
  CCanonRawType raw;
  test::feedUnits(raw, disk.bytes(), test::opts(4096));
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, 26'214'400, kChancePoor);
}

}  // namespace
}  // namespace tarvosk
