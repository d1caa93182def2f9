// Sigma X3F camera raw images: the first "PROP" mark plus 8 bytes is the length.
#include <gtest/gtest.h>

#include <cstring>

#include "types/CarvingDisk.h"
#include "types/SigmaRawType.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

// An X3F start with "PROP" at mark and the file ending 8 bytes after it.
std::vector<std::uint8_t> x3f(std::size_t mark) {
  std::vector<std::uint8_t> b(mark + 8, 0x22);
  std::memcpy(b.data(), "FOVb", 4);
  std::memcpy(b.data() + mark, "PROP", 4);
  return b;
}

TEST(SigmaRawType, NamesItsType) {
  CSigmaRawType raw;
  EXPECT_EQ(raw.GetExtension(), u".x3f");
  EXPECT_EQ(raw.GetName(), u"Sigma 原始图像");
  EXPECT_EQ(raw.GetCategory(), u"图像和数码相机");
}

TEST(SigmaRawType, EndsEightBytesAfterTheFirstMark) {
  for (std::size_t mark : {100u, 511u - 3u, 1024u + 77u, 5000u}) {
    SyntheticDisk disk(512, 4);
    disk.noise(1);
    const std::uint64_t start = disk.place(x3f(mark));
    disk.noise(2);
    CSigmaRawType raw;
    test::feedUnits(raw, disk.bytes());
    ASSERT_EQ(raw.GetResults().size(), 1u) << mark;
    test::expectFile(&raw.GetResults()[0], start, mark + 8, kChanceMayBeGood);
  }
}

TEST(SigmaRawType, MarkSplitAcrossUnitsIsNotSeen) {
  auto file = x3f(2000);
  std::memcpy(file.data() + 510, "PROP", 4);  // straddles units 0 and 1
  SyntheticDisk disk(512);
  disk.place(file);
  CSigmaRawType raw;
  test::feedUnits(raw, disk.bytes());
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, 2008, kChanceMayBeGood);
}

TEST(SigmaRawType, UnitInUseLowersTheChanceAndNewStartClosesTheOld) {
  SyntheticDisk disk(512);
  auto open = x3f(3000);
  open.resize(1024);
  disk.place(open);
  disk.place(x3f(1500));
  CSigmaRawType raw;
  test::feedUnits(raw, disk.bytes(), test::opts(512, {3}));
  ASSERT_EQ(raw.GetResults().size(), 2u);
  test::expectFile(&raw.GetResults()[0], 0, 1024, kChancePoor);
  test::expectFile(&raw.GetResults()[1], 2, 1508, kChancePoor);
}

TEST(SigmaRawType, NoMarkWithinTwentyFiveMegabytesGivesTheLimit) {
  auto open = x3f(26 * 1024 * 1024);
  std::memset(open.data() + open.size() - 8, 0x22, 8);
  SyntheticDisk disk(4096);
  disk.place(open);
  CSigmaRawType raw;
  test::feedUnits(raw, disk.bytes(), test::opts(4096));
  ASSERT_EQ(raw.GetResults().size(), 1u);
  test::expectFile(&raw.GetResults()[0], 0, 26'214'400, kChancePoor);
}

}  // namespace
}  // namespace tarvosk
