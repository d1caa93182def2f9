// The text recogniser: the start test (clamped to what the buffer holds), byte-exact run
// lengths, markup subtypes, with text files written by the fixture script.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/DocTestSupport.h"
#include "types/HTMLFilter.h"
#include "types/RTFFilter.h"
#include "types/TextDoc.h"
#include "types/XMLFilter.h"

namespace tarvosk {
namespace {

using test::Bytes;
using test::SyntheticDisk;

struct Family {
  CTextDoc text;
  CRTFFilter rtf{&text};
  CHTMLFilter html{&text};
  CXMLFilter xml{&text};
};

Bytes textOf(std::size_t n, std::string_view start = {}) {
  Bytes b(n, 'a');
  for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i % 61 == 60 ? '\n' : 'a' + i % 26);
  std::copy(start.begin(), start.end(), b.begin());
  return b;
}

void feed(CTextDoc& text, ByteSpan disk, std::uint32_t unitSize, std::set<std::uint64_t> unavailable = {}) {
  test::FeedOptions options;
  options.unitSize = unitSize;
  options.unavailable = std::move(unavailable);
  test::feedUnits(text, disk, options);
}

TEST(TextDoc, TypesAndChildren) {
  Family f;
  EXPECT_EQ(f.text.GetExtension(), u".txt");
  EXPECT_EQ(f.text.GetName(), u"文本文件");
  EXPECT_EQ(f.rtf.GetExtension(), u".rtf");
  EXPECT_EQ(f.rtf.GetName(), u"RTF 文档");
  EXPECT_EQ(f.html.GetExtension(), u".html");
  EXPECT_EQ(f.html.GetName(), u"HTML 文件");
  EXPECT_EQ(f.xml.GetExtension(), u".xml");
  EXPECT_EQ(f.xml.GetName(), u"XML 文件");
  for (CTypeFilter* t : {static_cast<CTypeFilter*>(&f.text), static_cast<CTypeFilter*>(&f.rtf),
                         static_cast<CTypeFilter*>(&f.html), static_cast<CTypeFilter*>(&f.xml)})
    EXPECT_EQ(t->GetCategory(), u"文档");
  EXPECT_EQ(f.text.children.size(), 3u);
}

TEST(TextDoc, TextCharacters) {
  int count = 0;
  for (int b = 0; b < 256; ++b) count += isTextCharacter(static_cast<std::uint8_t>(b)) ? 1 : 0;
  EXPECT_EQ(count, 95 + 3);
  EXPECT_TRUE(isTextCharacter('\t'));
  EXPECT_TRUE(isTextCharacter('\r'));
  EXPECT_TRUE(isTextCharacter('~'));
  EXPECT_FALSE(isTextCharacter(0x7F));
  EXPECT_FALSE(isTextCharacter(0x0B));
  EXPECT_FALSE(isTextCharacter(0x80));
  // The word-at-a-time walk agrees with the byte table at every position and every byte value.
  for (int bad = 0; bad < 256; ++bad) {
    for (std::size_t pos : {0u, 3u, 7u, 8u, 13u, 31u}) {
      Bytes b = textOf(32);
      b[pos] = static_cast<std::uint8_t>(bad);
      const std::size_t expected = isTextCharacter(static_cast<std::uint8_t>(bad)) ? 32 : pos;
      ASSERT_EQ(textPrefixLength(b), expected) << "byte " << bad << " at " << pos;
    }
  }
}

class RealTextFile : public ::testing::TestWithParam<std::tuple<const char*, std::uint32_t>> {};

// A file written by the fixture script, between noise and followed by zeros, is one run at its
// start unit with its exact length, in its subtype's list; the carved bytes are the file.
TEST_P(RealTextFile, IsOneRunWithItsExactLength) {
  const auto [name, unitSize] = GetParam();
  const Bytes original = test::readWholeFile(test::fixturePath(name));
  ASSERT_GT(original.size(), 800u);
  SyntheticDisk disk(unitSize, 21);
  disk.random(2);
  const std::uint64_t start = disk.place(original);
  disk.random(2);
  Family f;
  feed(f.text, disk.span(), unitSize);
  const std::string n = name;
  CTypeFilter& shown = n.ends_with(".rtf")    ? static_cast<CTypeFilter&>(f.rtf)
                       : n.ends_with(".html") ? static_cast<CTypeFilter&>(f.html)
                       : n.ends_with(".xml")  ? static_cast<CTypeFilter&>(f.xml)
                                              : static_cast<CTypeFilter&>(f.text);
  ASSERT_EQ(shown.GetResults().size(), 1u);
  const FoundFile found = shown.GetResults()[0];
  EXPECT_EQ(found.startUnit, start);
  EXPECT_EQ(found.length, original.size());
  EXPECT_EQ(found.chance, kChanceMayBeGood);
  EXPECT_EQ(disk.carve(found.startUnit, found.length), original);
  std::size_t total = 0;
  for (std::size_t k = 0; k < CTextDoc::kListCount; ++k) total += f.text.resultsOf(k).size();
  EXPECT_EQ(total, 1u);
}

INSTANTIATE_TEST_SUITE_P(TextDoc, RealTextFile,
                         ::testing::Combine(::testing::Values("notes.txt", "letter.rtf", "page.html", "data.xml"),
                                            ::testing::Values(512u, 4096u)),
                         test::FixtureCaseName{});

TEST(TextDoc, Byte799DecidesWhetherARunOpens) {
  test::ScopedMinTextFileSize setting(800);
  for (std::uint32_t unitSize : {512u, 4096u}) {
    Bytes disk = textOf(800);
    disk.push_back(0);
    Family open;
    feed(open.text, disk, unitSize);
    ASSERT_EQ(open.text.resultsOf(0).size(), 1u) << unitSize;
    EXPECT_EQ(open.text.resultsOf(0)[0].length, 800u);

    disk[799] = 0x00;
    Family closed;
    feed(closed.text, disk, unitSize);
    EXPECT_TRUE(closed.text.resultsOf(0).empty()) << unitSize;
  }
}

TEST(TextDoc, PrefixesGiveSubtypes) {
  struct Case {
    const char* start;
    std::size_t list;
  };
  for (const Case& c : {Case{"<!doctype html>", CTextDoc::kHtml}, Case{"<?XML version=\"1.0\"?>", CTextDoc::kXml},
                        Case{" <html>", CTextDoc::kPlain}, Case{"{\\RTF1\\ansi", CTextDoc::kRtf},
                        Case{"<HTML><body>", CTextDoc::kHtml}, Case{"<!DOCTYPE", CTextDoc::kHtml},
                        Case{"<?xm", CTextDoc::kPlain}}) {
    Bytes disk = textOf(1000, c.start);
    disk.push_back(0);
    Family f;
    feed(f.text, disk, 512);
    for (std::size_t k = 0; k < CTextDoc::kListCount; ++k)
      EXPECT_EQ(f.text.resultsOf(k).size(), k == c.list ? 1u : 0u) << c.start << " list " << k;
  }
}

TEST(TextDoc, RunOfThreeUnitsAndTenBytes) {
  Bytes disk = textOf(512 * 3 + 10);
  disk.push_back(0x00);
  disk.resize(512 * 5, 0x00);
  Family f;
  feed(f.text, disk, 512);
  ASSERT_EQ(f.text.resultsOf(0).size(), 1u);
  EXPECT_EQ(f.text.resultsOf(0)[0].startUnit, 0u);
  EXPECT_EQ(f.text.resultsOf(0)[0].length, 1546u);
  EXPECT_EQ(f.text.resultsOf(0)[0].chance, kChanceMayBeGood);
}

TEST(TextDoc, HighByteEndsTheRun) {
  Bytes disk = textOf(1200);
  const std::string chinese = "\xe4\xb8\xad\xe6\x96\x87";  // UTF-8
  disk.insert(disk.begin() + 900, chinese.begin(), chinese.end());
  Family f;
  feed(f.text, disk, 512);
  ASSERT_FALSE(f.text.resultsOf(0).empty());
  EXPECT_EQ(f.text.resultsOf(0)[0].length, 900u);
}

TEST(TextDoc, UnavailableUnitCountsWholeAndLowersTheChance) {
  Bytes disk = textOf(512 * 4 + 30);
  disk.push_back(0);
  Family f;
  feed(f.text, disk, 512, {2});
  ASSERT_EQ(f.text.resultsOf(0).size(), 1u);
  EXPECT_EQ(f.text.resultsOf(0)[0].length, 512u * 4 + 30);
  EXPECT_EQ(f.text.resultsOf(0)[0].chance, kChancePoor);
}

TEST(TextDoc, RunStillOpenAtTheEndIsNotReported) {
  Bytes disk = textOf(512 * 4);
  Family f;
  for (std::uint64_t u = 0; u < 4; ++u) f.text.Feed(u, disk.data() + u * 512, 512);
  for (std::size_t k = 0; k < CTextDoc::kListCount; ++k) EXPECT_TRUE(f.text.resultsOf(k).empty());
}

TEST(TextDoc, SettingIsReadAtEachUse) {
  Bytes disk = textOf(300);
  disk.push_back(0);
  {
    test::ScopedMinTextFileSize setting(800);
    Family f;
    feed(f.text, disk, 512);
    EXPECT_TRUE(f.text.resultsOf(0).empty());
  }
  {
    test::ScopedMinTextFileSize setting(200);
    Family f;
    feed(f.text, disk, 512);
    ASSERT_EQ(f.text.resultsOf(0).size(), 1u);
    EXPECT_EQ(f.text.resultsOf(0)[0].length, 300u);
  }
}

// A setting larger than the unit and its look-ahead is clamped to what the buffer holds: the
// start test reads no further (the unit is fed from a window fenced by an unreadable page), and
// the run then needs that many text bytes.
TEST(TextDoc, StartTestIsClampedToTheReadableBytes) {
  test::ScopedMinTextFileSize setting(1'000'000);
  for (std::uint32_t unitSize : {512u, 4096u}) {
    EXPECT_EQ(CTextDoc::startTestLength(unitSize), 2u * unitSize);
    Bytes disk = textOf(2 * unitSize + 100);
    disk.push_back(0);
    Family f;
    test::GuardedUnit(unitSize).feed(f.text, disk);
    ASSERT_EQ(f.text.resultsOf(0).size(), 1u);
    EXPECT_EQ(f.text.resultsOf(0)[0].length, 2u * unitSize + 100);

    disk[2 * unitSize - 1] = 0x01;  // the last readable byte of unit 0: no run there
    Family g;
    test::GuardedUnit(unitSize).feed(g.text, disk);
    for (const FoundFile& found : g.text.resultsOf(0)) EXPECT_NE(found.startUnit, 0u);
  }
}

// A setting of zero (or less) would test no byte at all and open a run of length 0 at every
// binary unit; at least one byte is tested.
TEST(TextDoc, SettingOfZeroOpensNoEmptyRuns) {
  test::ScopedMinTextFileSize setting(0);
  EXPECT_EQ(CTextDoc::startTestLength(512), 1u);
  SyntheticDisk disk(512, 4);
  disk.zeros(3);
  disk.random(3);
  Family f;
  feed(f.text, disk.span(), 512);
  for (std::size_t k = 0; k < CTextDoc::kListCount; ++k)
    for (const FoundFile& found : f.text.resultsOf(k)) EXPECT_GT(found.length, 0u);
  EXPECT_TRUE(f.text.resultsOf(0).empty() || f.text.resultsOf(0).front().startUnit >= 3u);
}

// The length is kept within 31 bits: a run that reaches 2 GiB is reported with that length and
// chance 2 (fed as one text unit and then unavailable 1 MiB units).
TEST(TextDoc, RunThatReachesTheLimitIsReportedAtIt) {
  constexpr std::uint32_t kUnit = 1u << 20;
  Bytes first = textOf(2 * kUnit);
  Family f;
  f.text.Feed(0, first.data(), kUnit);
  std::uint64_t u = 1;
  for (; u < 4096 && f.text.resultsOf(0).empty(); ++u) f.text.Feed(u, nullptr, kUnit);
  ASSERT_EQ(f.text.resultsOf(0).size(), 1u);
  EXPECT_EQ(f.text.resultsOf(0)[0].length, CTextDoc::kMaxRunLength);
  EXPECT_EQ(f.text.resultsOf(0)[0].chance, kChancePoor);
  EXPECT_EQ(u, CTextDoc::kMaxRunLength / kUnit + 1);
}

TEST(TextDoc, DisabledChildShowsNothingButTheListIsKept) {
  Bytes disk = textOf(1000, "{\\rtf1");
  disk.push_back(0);
  Family f;
  feed(f.text, disk, 512);
  ASSERT_EQ(f.rtf.GetResults().size(), 1u);
  f.rtf.enabled = false;
  EXPECT_TRUE(f.rtf.GetResults().empty());
  EXPECT_EQ(f.text.resultsOf(CTextDoc::kRtf).size(), 1u);
  f.text.enabled = false;
  EXPECT_TRUE(f.text.GetResults().empty());
}

}  // namespace
}  // namespace tarvosk
