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

// Each spoilt field is refused by its own rule, which FAT_OpenDevice logs and the drive list's
// probe shares.
TEST(FatBootSectorParsing, RefusesWhatIsNoUsableFatBootSector) {
  struct Case {
    const char* what;
    void (*spoil)(std::vector<std::uint8_t>&);
    BootSectorProblem problem;
  };
  const Case cases[] = {
      {"0 sectors per cluster", [](auto& b) { b[13] = 0; }, BootSectorProblem::BadGeometry},
      {"3 sectors per cluster", [](auto& b) { b[13] = 3; }, BootSectorProblem::BadGeometry},
      {"0 bytes per sector", [](auto& b) { putLe16(&b[11], 0); }, BootSectorProblem::BadGeometry},
      {"1000 bytes per sector", [](auto& b) { putLe16(&b[11], 1000); }, BootSectorProblem::BadGeometry},
      {"256 bytes per sector", [](auto& b) { putLe16(&b[11], 256); }, BootSectorProblem::BadGeometry},
      {"255 FATs", [](auto& b) { b[16] = 255; }, BootSectorProblem::Overlap},
      {"no FAT", [](auto& b) { b[16] = 0; }, BootSectorProblem::Empty},
      {"FATs of 0 sectors", [](auto& b) { putLe16(&b[22], 0); putLe32(&b[36], 0); }, BootSectorProblem::Empty},
      {"no reserved sector", [](auto& b) { putLe16(&b[14], 0); }, BootSectorProblem::Empty},
      {"a data area of no cluster",
       [](auto& b) {
         FatBootSector sound;
         parseFatBootSector(b, sound);
         putLe16(&b[19], 0);
         putLe32(&b[32], static_cast<std::uint32_t>(sound.firstDataSector));
       },
       BootSectorProblem::Empty},
      {"no jump instruction", [](auto& b) { b[0] = 0; }, BootSectorProblem::NotFat},
      {"an NTFS OEM name", [](auto& b) { std::copy_n("NTFS    ", 8, &b[3]); }, BootSectorProblem::NotFat},
      {"no 0x55 0xAA", [](auto& b) { b[511] = 0x55; }, BootSectorProblem::Signature},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b = bootSector(5000);
    c.spoil(b);
    FatBootSector boot;
    EXPECT_EQ(parseFatBootSector(b, boot), c.problem) << c.what;
  }
  FatBootSector boot;
  EXPECT_EQ(parseFatBootSector(ByteSpan(bootSector(5000).data(), 100), boot), BootSectorProblem::Signature) << "too short";
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
