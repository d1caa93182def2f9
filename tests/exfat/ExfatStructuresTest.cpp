// The exFAT parsers on hand-built bytes and on the boot regions of a volume mkfs.exfat made: the
// boot sector's geometry checks, the boot checksum, entry sets live and deleted (with the faults
// no tool writes), timestamps with their 10 ms part and UTC offset, and the up-case table (whose
// checksum the volume tests see accepted on real volumes).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "exfat/ExfatBootSector.h"
#include "exfat/ExfatEntrySet.h"
#include "exfat/UpcaseTable.h"
#include "platform/Time.h"
#include "support/TestSupport.h"

namespace tarvosk::test {
namespace {

// The 24 sectors of both boot regions of the 4 KiB-cluster fixture volume.
std::vector<std::uint8_t> bootRegions() {
  std::vector<std::uint8_t> image = readWholeFile(fixturePath("exfat-4k.img"));
  image.resize(2 * exfatboot::kRegionSectors * 512);
  return image;
}

TEST(ExfatBootSector, ChecksGeometryBeforeArithmetic) {
  const std::vector<std::uint8_t> good = bootRegions();
  ExfatBootSector boot;
  ASSERT_EQ(parseExfatBootSector(good, boot), ExfatBootProblem::None);
  EXPECT_EQ(boot.clusterSize, 4096u);
  EXPECT_EQ(boot.clusterCount, 7680u) << "as dump.exfat says (build-exfat-fixtures.sh)";
  struct Case {
    const char* what;
    std::function<void(std::uint8_t*)> patch;
    ExfatBootProblem problem;
  };
  const Case cases[] = {
      {"not named EXFAT", [](std::uint8_t* b) { b[3] = 'F'; }, ExfatBootProblem::NotExfat},
      {"no signature", [](std::uint8_t* b) { b[510] = 0; }, ExfatBootProblem::NotExfat},
      {"a FAT BPB byte", [](std::uint8_t* b) { b[13] = 8; }, ExfatBootProblem::BadGeometry},
      {"256-byte sectors", [](std::uint8_t* b) { b[108] = 8; }, ExfatBootProblem::BadGeometry},
      {"64 MiB clusters", [](std::uint8_t* b) { b[109] = 17; }, ExfatBootProblem::BadGeometry},
      {"three FATs", [](std::uint8_t* b) { b[110] = 3; }, ExfatBootProblem::BadGeometry},
      {"FAT inside the boot regions", [](std::uint8_t* b) { putLe32(b + 80, 12); }, ExfatBootProblem::Overlap},
      {"FAT too short for the clusters", [](std::uint8_t* b) { putLe32(b + 84, 1); }, ExfatBootProblem::Overlap},
      {"heap before the FAT's end", [](std::uint8_t* b) { putLe32(b + 88, 2049); }, ExfatBootProblem::Overlap},
      {"heap past the volume", [](std::uint8_t* b) { putLe32(b + 92, 0xFFFFFFF0); }, ExfatBootProblem::Overlap},
      {"no cluster", [](std::uint8_t* b) { putLe32(b + 92, 0); }, ExfatBootProblem::Overlap},
      {"root outside the heap", [](std::uint8_t* b) { putLe32(b + 96, 7682); }, ExfatBootProblem::Overlap},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b = good;
    c.patch(b.data());
    EXPECT_EQ(parseExfatBootSector(b, boot), c.problem) << c.what;
  }
  EXPECT_EQ(parseExfatBootSector(ByteSpan(good.data(), 511), boot), ExfatBootProblem::NotExfat) << "too short";
}

TEST(ExfatBootSector, TheChecksumSectorVouchesForTheRegion) {
  std::vector<std::uint8_t> regions = bootRegions();
  const ByteSpan main(regions.data(), exfatboot::kRegionSectors * 512);
  ExfatBootSector boot;
  EXPECT_EQ(checkExfatBootRegion(main, 512, boot), ExfatBootProblem::None);
  EXPECT_EQ(checkExfatBootRegion(ByteSpan(regions).subspan(main.size()), 512, boot), ExfatBootProblem::None) << "backup";
  EXPECT_EQ(checkExfatBootRegion(main, 4096, boot), ExfatBootProblem::NotExfat) << "12 sectors of 4096 bytes are not there";
  regions[106] ^= 1;  // the active FAT and the share in use change without a new checksum
  regions[112] = 99;
  EXPECT_EQ(checkExfatBootRegion(main, 512, boot), ExfatBootProblem::None);
  regions[5 * 512 + 7] ^= 0x40;  // an extended boot sector
  EXPECT_EQ(checkExfatBootRegion(main, 512, boot), ExfatBootProblem::Checksum);
}

// A set as a volume writes it: a file entry, a stream extension and name entries, checksummed.
std::vector<std::uint8_t> entrySet(const std::u16string& name, std::size_t nameEntries, bool inUse = true) {
  std::vector<std::uint8_t> b((2 + nameEntries) * 32, 0);
  b[0] = 0x85;
  b[1] = static_cast<std::uint8_t>(1 + nameEntries);
  putLe16(&b[4], 0x20);
  putLe32(&b[12], 0x5A2A6B40);  // 2025-01-10 13:26:00
  b[32] = 0xC0;
  b[33] = 0x03;  // allocation possible, no FAT chain
  b[35] = static_cast<std::uint8_t>(name.size());
  putLe64(&b[40], 5000);
  putLe32(&b[52], 77);
  putLe64(&b[56], 8192);
  for (std::size_t i = 0; i < nameEntries; ++i) {
    b[64 + 32 * i] = 0xC1;
    for (std::size_t c = 0; c < 15 && 15 * i + c < name.size(); ++c) putLe16(&b[64 + 32 * i + 2 + 2 * c], name[15 * i + c]);
  }
  putLe16(&b[2], entrySetChecksum(b, b.size() / 32));
  if (!inUse)
    for (std::size_t at = 0; at < b.size(); at += 32) b[at] &= 0x7F;
  return b;
}

TEST(ExfatEntrySet, DecodesLiveAndDeletedSets) {
  const std::u16string name = u"A name of twenty-three";
  for (bool inUse : {true, false}) {
    ExfatEntrySet set;
    std::vector<std::uint8_t> b = entrySet(name, 2, inUse);
    b.resize(b.size() + 64, 0xAB);  // whatever follows the set is not read
    ASSERT_EQ(parseEntrySet(b, set), EntrySetProblem::None);
    EXPECT_EQ(set.inUse, inUse);
    EXPECT_TRUE(set.checksumMatches) << "a deleted set is checked with its in-use bits restored";
    EXPECT_EQ(set.name, name);
    EXPECT_TRUE(set.noFatChain());
    EXPECT_FALSE(set.isFolder());
    EXPECT_EQ(set.firstCluster, 77u);
    EXPECT_EQ(set.validDataLength, 5000u);
    EXPECT_EQ(set.dataLength, 8192u);
    EXPECT_EQ(set.entryCount(), 4u);
  }
}

TEST(ExfatEntrySet, RefusesWhatNoToolWrites) {
  const std::u16string name = u"A name of twenty-three";
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> patch;
    EntrySetProblem problem;
  };
  const Case cases[] = {
      {"secondary count past the directory's end", [](auto& b) { b[1] = 5; }, EntrySetProblem::PastTheEnd},
      {"one secondary entry", [](auto& b) { b[1] = 1; }, EntrySetProblem::SecondaryCount},
      {"nineteen secondary entries", [](auto& b) { b[1] = 19; }, EntrySetProblem::SecondaryCount},
      {"no stream extension", [](auto& b) { b[32] = 0xC1; }, EntrySetProblem::NoStreamExtension},
      {"a deleted stream in a live set", [](auto& b) { b[32] = 0x40; }, EntrySetProblem::NoStreamExtension},
      {"a name entry of another set", [](auto& b) { b[96] = 0x85; }, EntrySetProblem::ForeignEntry},
      {"a deleted name entry in a live set", [](auto& b) { b[96] = 0x41; }, EntrySetProblem::ForeignEntry},
      {"a name longer than its entries", [](auto& b) { b[35] = 31; }, EntrySetProblem::BadNameLength},
      {"an empty name", [](auto& b) { b[35] = 0; }, EntrySetProblem::BadNameLength},
      {"a NUL inside the name", [](auto& b) { putLe16(&b[64 + 2 + 2 * 3], 0); }, EntrySetProblem::BadNameLength},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> b = entrySet(name, 2);
    c.patch(b);
    ExfatEntrySet set;
    EXPECT_EQ(parseEntrySet(b, set), c.problem) << c.what;
  }
  std::vector<std::uint8_t> b = entrySet(name, 2);
  b[70] ^= 1;
  ExfatEntrySet set;
  ASSERT_EQ(parseEntrySet(b, set), EntrySetProblem::None);
  EXPECT_FALSE(set.checksumMatches) << "a changed name character";
  b = entrySet(name, 2);
  b.insert(b.begin() + 96, 32, 0);
  b[1] = 4;
  b[96] = 0xE0;  // a vendor extension between the name entries is passed over
  putLe16(&b[2], entrySetChecksum(b, 5));
  ASSERT_EQ(parseEntrySet(b, set), EntrySetProblem::None);
  EXPECT_EQ(set.name, name);
}

TEST(ExfatTimestamp, AddsTheTenMillisecondPartAndTakesOffTheOffset) {
  const std::uint32_t stamp = 0x5A2A6B40;  // 2025-01-10 13:26:00 as the writer's clock showed it
  FILETIME plain{};
  ASSERT_TRUE(DosDateTimeToFileTime(static_cast<WORD>(stamp >> 16), static_cast<WORD>(stamp), &plain));
  struct Case {
    std::uint8_t tenMs, offset;
    std::int64_t expectedTicks;  // from the writer's clock
  };
  const std::int64_t quarter = 15LL * 60 * 10000000;
  const Case cases[] = {
      {0, 0x80, 0},                         // UTC
      {150, 0x80, 150 * 100000},            // 1.5 s past the two-second step
      {0, 0x80 | 32, -32 * quarter},        // UTC+8: eight hours earlier in UTC
      {0, 0x80 | 0x6C, 20 * quarter},       // UTC-5 (-20 quarter hours): five hours later
      {250, 0x80, 0},                       // a 10 ms part above 199 is ignored
  };
  for (const Case& c : cases) {
    FILETIME utc{};
    ASSERT_TRUE(exfatTimeToFileTime({stamp, c.tenMs, c.offset}, utc));
    EXPECT_EQ(static_cast<std::int64_t>(fileTimeValue(utc) - fileTimeValue(plain)), c.expectedTicks)
        << int(c.tenMs) << " " << int(c.offset);
  }
  FILETIME utc{};
  EXPECT_FALSE(exfatTimeToFileTime({0x5BAA6B40, 0, 0x80}, utc)) << "month 13";
}

TEST(ExfatUpcaseTable, ExpandsIdentityRunsAndComparesNames) {
  std::vector<std::uint8_t> stored;
  auto put = [&stored](std::uint16_t v) {
    stored.push_back(static_cast<std::uint8_t>(v));
    stored.push_back(static_cast<std::uint8_t>(v >> 8));
  };
  put(0xFFFF);
  put(u'a');  // characters 0 .. 0x60 map to themselves
  for (char16_t c = u'a'; c <= u'z'; ++c) put(static_cast<std::uint16_t>(c - u'a' + u'A'));
  put(0xFFFF);
  put(0x3B0 - 0x7B);  // up to 0x3AF themselves
  put(0x391);         // 0x3B0 maps to Greek capital alpha (a made-up mapping)
  UpcaseTable table;
  table.load(stored);
  ASSERT_TRUE(table.loaded());
  EXPECT_EQ(table.upcase(u'q'), u'Q');
  EXPECT_EQ(table.upcase(u'{'), u'{');
  EXPECT_EQ(table.upcase(0x3B0), 0x391);
  EXPECT_EQ(table.upcase(0x4E2D), 0x4E2D) << "beyond the table: itself";
  EXPECT_TRUE(table.sameName(u"Report.TXT", u"report.txt"));
  EXPECT_FALSE(table.sameName(u"report.txt", u"report.tx"));
  UpcaseTable none;
  EXPECT_TRUE(none.sameName(u"中文文件夹\\A", u"中文文件夹\\a")) << "no table: the platform's case folding";
}

}  // namespace
}  // namespace tarvosk::test
