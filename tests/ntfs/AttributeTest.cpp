// Attribute look-ups inside a fixed-up record: the first of a type, display names, and bounds.
#include <gtest/gtest.h>

#include "ntfs/Attribute.h"
#include "ntfs/MftRecord.h"
#include "ntfs/NtfsImageBuilder.h"

using namespace tarvosk;
using namespace tarvosk::ntfs;
using namespace tarvosk::test;

namespace {

std::vector<std::uint8_t> fixedUp(const RecordBuilder& b) {
  std::vector<std::uint8_t> r = b.build();
  EXPECT_EQ(applyFixups(r), FixupResult::Applied);
  return r;
}

ByteSpan span(const std::vector<std::uint8_t>& v) { return ByteSpan(v.data(), v.size()); }

}  // namespace

TEST(FindAttributeLookup, FirstOfTheTypeNamedOrNot) {
  RecordBuilder b;
  b.resident(0x10, std::vector<std::uint8_t>(48, 0)).resident(0x80, {9, 9}, u"stream").resident(0x80, {1, 2, 3});
  auto r = fixedUp(b);
  ByteSpan attr;
  ASSERT_EQ(FindAttribute(span(r), 0x80, &attr), 0u);
  EXPECT_EQ(attributeName(attr), u"stream");
  EXPECT_EQ(residentValue(attr).size(), 2u);
  ByteSpan unnamed = findUnnamedAttribute(span(r), 0x80);
  ASSERT_NE(unnamed.data(), nullptr);
  EXPECT_EQ(residentValue(unnamed)[2], 3);
}

TEST(FindAttributeLookup, MissingTypeGives1AndNoAttribute) {
  auto r = fixedUp(RecordBuilder().resident(0x10, std::vector<std::uint8_t>(48, 0)));
  ByteSpan attr = span(r);
  EXPECT_EQ(FindAttribute(span(r), 0x80, &attr), 1u);
  EXPECT_EQ(attr.data(), nullptr);
}

TEST(FindAttributeLookup, WalkStopsAtZeroLengthAndAtTheRecordEnd) {
  auto r = fixedUp(RecordBuilder().resident(0x10, std::vector<std::uint8_t>(48, 0)).resident(0x80, {1}));
  std::size_t first = le16(span(r), 20);
  putLe32(&r[first + 4], 0);  // zero length: the $DATA behind it is not reached
  ByteSpan attr;
  EXPECT_EQ(FindAttribute(span(r), 0x80, &attr), 1u);
  r = fixedUp(RecordBuilder().resident(0x10, std::vector<std::uint8_t>(48, 0)).resident(0x80, {1}));
  putLe32(&r[first + 4], 0x7FFFFFF8);  // length far past the record
  EXPECT_EQ(FindAttribute(span(r), 0x80, &attr), 1u);
  putLe16(&r[20], 0xFFF8);  // first attribute outside
  EXPECT_EQ(FindAttribute(span(r), 0x10, &attr), 1u);
}

TEST(FindAttributeLookup, ValuesAndNamesOutsideTheAttributeAreEmpty) {
  auto r = fixedUp(RecordBuilder().resident(0x80, {1, 2, 3, 4}, u"n"));
  ByteSpan attr;
  ASSERT_EQ(FindAttribute(span(r), 0x80, &attr), 0u);
  std::size_t at = static_cast<std::size_t>(attr.data() - r.data());
  putLe32(&r[at + 16], 5000);  // value length beyond the attribute
  EXPECT_EQ(residentValue(attr).data(), nullptr);
  putLe32(&r[at + 16], 4);
  putLe16(&r[at + 20], 0xFFF0);  // value offset beyond the attribute
  EXPECT_EQ(residentValue(attr).data(), nullptr);
  r[at + 9] = 200;  // 200 name units cannot fit
  EXPECT_EQ(attributeName(attr), u"");
}

TEST(GetFileNameChoice, LongNameWinsWhateverTheOrder) {
  for (bool dosFirst : {true, false}) {
    RecordBuilder b;
    if (dosFirst) b.fileName(5, u"LONGFI~1.TXT", 2).fileName(5, u"long file name.txt", 1);
    else b.fileName(5, u"long file name.txt", 1).fileName(5, u"LONGFI~1.TXT", 2);
    auto r = fixedUp(b);
    ByteSpan name;
    ASSERT_EQ(GetFileName(span(r), &name), 0u);
    EXPECT_EQ(fileNameText(name), u"long file name.txt") << dosFirst;
  }
}

TEST(GetFileNameChoice, OnlyDosNameGives1WithThatName) {
  auto r = fixedUp(RecordBuilder().fileName(5, u"SHORT.TXT", 2));
  ByteSpan name;
  EXPECT_EQ(GetFileName(span(r), &name), 1u);
  EXPECT_EQ(fileNameText(name), u"SHORT.TXT");
  auto none = fixedUp(RecordBuilder().resident(0x10, std::vector<std::uint8_t>(48, 0)));
  EXPECT_EQ(GetFileName(span(none), &name), 1u);
  EXPECT_EQ(name.data(), nullptr);
}

TEST(GetFileNameChoice, ChineseNamesAndPosixNamespace) {
  auto r = fixedUp(RecordBuilder().fileName(5, u"报告.txt", 0));
  ByteSpan name;
  ASSERT_EQ(GetFileName(span(r), &name), 0u);
  EXPECT_EQ(fileNameText(name), u"报告.txt");
}

TEST(GetFileNameChoice, NameLongerThanItsValueIsSkipped) {
  std::vector<std::uint8_t> value = fileNameValue(5, u"ab", 1);
  value[64] = 120;  // claims 120 characters in a 70-byte value
  auto r = fixedUp(RecordBuilder().resident(0x30, value).fileName(5, u"real", 1));
  ByteSpan name;
  ASSERT_EQ(GetFileName(span(r), &name), 0u);
  EXPECT_EQ(fileNameText(name), u"real");
}
