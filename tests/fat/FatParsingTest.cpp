// The FAT parsers on hand-built bytes: boot sector geometry checks, FAT entry decoding and
// end-of-chain values, and the pieces of a directory slot.
#include <gtest/gtest.h>

#include <vector>

#include "fat/DirectoryEntry.h"
#include "fat/FatBootSector.h"
#include "fat/FatEntry.h"
#include "platform/ByteOrder.h"
#include "support/FatImageBuilder.h"

namespace tarvosk::test {
namespace {

std::vector<std::uint8_t> bootSector(std::uint32_t clusters, int bits = 16) {
  FatImageLayout l;
  l.fatBits = bits;
  l.clusterCount = clusters;
  l.rootEntryCount = bits == 32 ? 0 : 512;
  return FatImageBuilder(l).bootSector();
}

TEST(FatBootSectorParsing, ComputesTheLayout) {
  std::vector<std::uint8_t> b = bootSector(5000);
  FatBootSector boot;
  ASSERT_EQ(parseFatBootSector(b, boot), BootSectorProblem::None);
  EXPECT_EQ(boot.clusterCount, 5000u);
  EXPECT_EQ(boot.type, FatType::Fat16);
  EXPECT_EQ(boot.rootDirSectors, 32u);
  EXPECT_EQ(boot.firstDataSector, 1u + boot.sectorsPerFat + 32u);
  EXPECT_EQ(boot.oemName, "HANDMADE");
}

TEST(FatBootSectorParsing, RefusesGeometryThatWouldDivideByZeroOrWrap) {
  FatBootSector boot;
  std::vector<std::uint8_t> b = bootSector(5000);
  b[13] = 0;
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::BadGeometry);
  b = bootSector(5000);
  putLe16(&b[11], 0);
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::BadGeometry);
  putLe16(&b[11], 1000);  // not a power of two
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::BadGeometry);
  putLe16(&b[11], 256);   // too small for the reads of a 512-byte device
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::BadGeometry);
  b = bootSector(5000);
  b[16] = 255;  // 255 FATs do not fit
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::Overlap);
  b = bootSector(5000);
  b[510] = 0x55;
  b[511] = 0x55;
  EXPECT_EQ(parseFatBootSector(b, boot), BootSectorProblem::Signature);
  EXPECT_EQ(parseFatBootSector(ByteSpan(b.data(), 100), boot), BootSectorProblem::Signature) << "too short";
}

TEST(FatBootSectorParsing, Fat32HasNoFixedRootArea) {
  std::vector<std::uint8_t> b = bootSector(70000, 32);
  putLe16(&b[17], 512);  // a root entry count that FAT32 does not use
  FatBootSector boot;
  ASSERT_EQ(parseFatBootSector(b, boot), BootSectorProblem::None);
  EXPECT_EQ(boot.type, FatType::Fat32);
  EXPECT_EQ(boot.rootDirSectors, 0u);
}

TEST(FatEntryDecoding, DecodesEachWidth) {
  const std::uint8_t twelve[] = {0xBC, 0x9A};  // word 0x9ABC
  EXPECT_EQ(decodeFatEntry(FatType::Fat12, 4, twelve), 0xABCu);
  EXPECT_EQ(decodeFatEntry(FatType::Fat12, 5, twelve), 0x9ABu);
  EXPECT_EQ(decodeFatEntry(FatType::Fat16, 5, twelve), 0x9ABCu);
  const std::uint8_t thirtyTwo[] = {0x01, 0x02, 0x03, 0xF4};
  EXPECT_EQ(decodeFatEntry(FatType::Fat32, 9, thirtyTwo), 0x04030201u);
  EXPECT_EQ(decodeFatEntry(FatType::Fat32, 9, ByteSpan(thirtyTwo, 2)), 0u) << "a cut entry reads as 0, not past the span";
  EXPECT_EQ(fatEntryOffset(FatType::Fat12, 341), 511u);
  EXPECT_EQ(fatEntryOffset(FatType::Fat16, 341), 682u);
  EXPECT_EQ(fatEntryOffset(FatType::Fat32, 341), 1364u);
}

TEST(FatEntryDecoding, EndOfChainValues) {
  EXPECT_FALSE(isEndOfChain(FatType::Fat12, 0xFF7));
  EXPECT_TRUE(isEndOfChain(FatType::Fat12, 0xFF8));
  EXPECT_FALSE(isEndOfChain(FatType::Fat16, 0xFFF7));
  EXPECT_TRUE(isEndOfChain(FatType::Fat16, 0xFFFF));
  EXPECT_FALSE(isEndOfChain(FatType::Fat32, 0x0FFFFFF7));
  EXPECT_TRUE(isEndOfChain(FatType::Fat32, 0x0FFFFFF8));
  EXPECT_TRUE(isEndOfChain(FatType::Fat12, 0x100000000ull));
  EXPECT_EQ(fatTypeForClusterCount(4084), FatType::Fat12);
  EXPECT_EQ(fatTypeForClusterCount(4085), FatType::Fat16);
  EXPECT_EQ(fatTypeForClusterCount(65524), FatType::Fat16);
  EXPECT_EQ(fatTypeForClusterCount(65525), FatType::Fat32);
}

TEST(DirectorySlotParsing, ShortNames) {
  EXPECT_EQ(shortEntryName(shortEntry("README     ", 0x20, 0, 0), false), u"README.");
  EXPECT_EQ(shortEntryName(shortEntry("DIR     EXT", 0x10, 0, 0), true), u"DIR");
  EXPECT_EQ(shortEntryName(shortEntry("\xE5" "EST    TXT", 0x20, 0, 0), false), u"\u00E5EST.TXT");
  EXPECT_EQ(shortEntryName(shortEntry("A B     C D", 0x20, 0, 0), false), u"A.C") << "cut at the first blank";
  EXPECT_EQ(startClusterOf(shortEntry("X          ", 0x20, 0x12345678, 0)), 0x12345678u);
}

TEST(DirectorySlotParsing, FragmentCharacters) {
  char16_t chars[13];
  std::fill(std::begin(chars), std::end(chars), u'#');
  copyFragmentCharacters(longNameFragment(0x41, u"abcdefghijklm"), chars);
  EXPECT_EQ(std::u16string(chars, 13), u"abcdefghijklm");
  std::fill(std::begin(chars), std::end(chars), u'#');
  copyFragmentCharacters(longNameFragment(0x41, u"abc"), chars);
  EXPECT_EQ(std::u16string(chars, 4), std::u16string(u"abc\0", 4)) << "the terminator is copied";
  EXPECT_EQ(chars[4], u'#') << "filler is not copied";
  EXPECT_EQ(chars[5], u'#') << "a part that begins with filler is skipped";
  std::fill(std::begin(chars), std::end(chars), u'#');
  copyFragmentCharacters(longNameFragment(0x41, u"\u5BFF\u4EFFxyz"), chars);
  EXPECT_EQ(std::u16string(chars, 5), u"\u5BFF\u4EFFxyz") << "characters whose low byte is 0xFF are name characters";
  EXPECT_TRUE(isLongNameFragment(longNameFragment(0x41, u"a")));
  EXPECT_FALSE(isLongNameFragment(shortEntry("A          ", 0x20, 0, 0)));
}

TEST(DirectorySlotParsing, ShortNameCharacters) {
  EXPECT_TRUE(hasValidShortNameCharacters(shortEntry("\xE5" "AB$%'-_@~`", 0x20, 0, 0)));
  EXPECT_TRUE(hasValidShortNameCharacters(shortEntry("!(){}^#&  \xC4", 0x20, 0, 0)));
  for (char bad : {'*', '?', '<', '>', '|', '"', '/', '\\', ':', '+', ',', ';', '=', '[', ']', '.', '\x01'}) {
    std::string name = "ABCDEFGHIJK";
    name[3] = bad;
    EXPECT_FALSE(hasValidShortNameCharacters(shortEntry(name, 0x20, 0, 0))) << bad;
  }
}

}  // namespace
}  // namespace tarvosk::test
