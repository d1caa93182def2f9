// MFT records as bytes: fixups applied once and marked, mismatches refused, and the structural
// check that every later walk relies on.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "ntfs/MftRecord.h"
#include "ntfs/NtfsImageBuilder.h"
#include "platform/ByteOrder.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;
using namespace tarvosk::test;

namespace {

std::vector<std::uint8_t> sampleRecord(std::uint32_t size = 1024) {
  return RecordBuilder(size).fileName(5, u"name.txt", 1).resident(0x80, {1, 2, 3}).build(0x0A0B);
}

ByteSpan span(const std::vector<std::uint8_t>& v) { return ByteSpan(v.data(), v.size()); }

}  // namespace

TEST(MftRecordFixups, RestoreSectorEndsAndMarkTheRecord) {
  RecordBuilder builder(1024);
  builder.fileName(5, u"name.txt", 1);
  std::vector<std::uint8_t> plain = builder.plain();
  plain[510] = 0x11, plain[511] = 0x22, plain[1022] = 0x33, plain[1023] = 0x44;
  // Protect by hand: sector ends saved into the array, replaced by the sequence number.
  std::vector<std::uint8_t> disk = plain;
  putLe16(&disk[48], 0x0707);
  disk[50] = 0x11, disk[51] = 0x22, disk[52] = 0x33, disk[53] = 0x44;
  putLe16(&disk[510], 0x0707);
  putLe16(&disk[1022], 0x0707);
  ASSERT_EQ(applyFixups(disk), FixupResult::Applied);
  EXPECT_EQ(disk[510], 0x11);
  EXPECT_EQ(disk[511], 0x22);
  EXPECT_EQ(disk[1022], 0x33);
  EXPECT_EQ(disk[1023], 0x44);
  EXPECT_EQ(le16(span(disk), 6), 1) << "the array count marks the record as fixed";
}

TEST(MftRecordFixups, SecondApplicationChangesNothing) {
  std::vector<std::uint8_t> r = sampleRecord();
  ASSERT_EQ(applyFixups(r), FixupResult::Applied);
  std::vector<std::uint8_t> once = r;
  EXPECT_EQ(applyFixups(r), FixupResult::AlreadyApplied);
  EXPECT_EQ(r, once);
}

TEST(MftRecordFixups, MismatchInAnySectorIsRefused) {
  for (std::size_t sectorEnd : {510u, 1022u}) {
    std::vector<std::uint8_t> r = sampleRecord();
    r[sectorEnd] ^= 0xFF;  // a torn write: this sector was not written with the others
    std::vector<std::uint8_t> before = r;
    EXPECT_EQ(applyFixups(r), FixupResult::Mismatch) << sectorEnd;
    EXPECT_EQ(r, before) << "a refused record is left as it was";
  }
}

TEST(MftRecordFixups, ArrayOutsideTheFirstSectorOrWrongCountIsRefused) {
  std::vector<std::uint8_t> r = sampleRecord();
  putLe16(&r[4], 508);  // three entries from 508 run past the first sector
  EXPECT_EQ(applyFixups(r), FixupResult::BadArray);
  r = sampleRecord();
  putLe16(&r[6], 2);  // one entry for a two-sector record
  EXPECT_EQ(applyFixups(r), FixupResult::BadArray);
  r = sampleRecord();
  putLe16(&r[6], 0xFFFF);
  EXPECT_EQ(applyFixups(r), FixupResult::BadArray);
  r = sampleRecord();
  putLe16(&r[4], 0xFFFE);
  EXPECT_EQ(applyFixups(r), FixupResult::BadArray);
}

TEST(MftRecordFixups, FourKibRecordHasNineEntries) {
  std::vector<std::uint8_t> r = sampleRecord(4096);
  EXPECT_EQ(le16(span(r), 6), 9);
  ASSERT_EQ(applyFixups(r), FixupResult::Applied);
  EXPECT_EQ(mftRecordFault(span(r)), nullptr);
}

TEST(MftRecordCheck, SoundRecordPasses) {
  std::vector<std::uint8_t> r = sampleRecord();
  ASSERT_EQ(applyFixups(r), FixupResult::Applied);
  EXPECT_EQ(mftRecordFault(span(r)), nullptr);
}

TEST(MftRecordCheck, HostileRecordsAreRefusedWithTheirReason) {
  auto fixed = [] {
    std::vector<std::uint8_t> r = sampleRecord();
    applyFixups(r);
    return r;
  };
  std::size_t first = le16(span(fixed()), 20);
  struct Case {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&)> damage;
  } cases[] = {
      {"bad signature", [](auto& r) { r[0] = 'B'; }},
      {"first attribute past the end", [](auto& r) { putLe16(&r[20], 1022); }},
      {"first attribute inside the header", [](auto& r) { putLe16(&r[20], 8); }},
      {"zero-length attribute", [first](auto& r) { putLe32(&r[first + 4], 0); }},
      {"length past the record", [first](auto& r) { putLe32(&r[first + 4], 0x10000); }},
      {"length wrapping the offset", [first](auto& r) { putLe32(&r[first + 4], 0xFFFFFFF8); }},
      {"odd length", [first](auto& r) { putLe32(&r[first + 4], 0x61); }},
      {"no end marker", [](auto& r) {
         std::size_t pos = le16(ByteSpan(r.data(), r.size()), 20);
         while (le32(ByteSpan(r.data(), r.size()), pos) != 0xFFFFFFFF) pos += le32(ByteSpan(r.data(), r.size()), pos + 4);
         putLe32(&r[pos], 0x80);
         putLe32(&r[pos + 4], static_cast<std::uint32_t>(r.size() - pos));
       }},
  };
  for (const Case& c : cases) {
    std::vector<std::uint8_t> r = fixed();
    c.damage(r);
    EXPECT_NE(mftRecordFault(span(r)), nullptr) << c.what;
  }
  std::vector<std::uint8_t> tiny(16, 0);
  std::memcpy(tiny.data(), "FILE", 4);
  EXPECT_NE(mftRecordFault(span(tiny)), nullptr);
}
