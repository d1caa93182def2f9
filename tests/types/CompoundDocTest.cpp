// The compound document recogniser: length from the allocation table, subtype from the writing
// application's text, with real LibreOffice documents and hand-built edge cases.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/CompoundDoc.h"
#include "types/DocTestSupport.h"
#include "types/ExcelFilter.h"
#include "types/MSWordFilter.h"
#include "types/PPTFilter.h"
#include "types/PublisherFilter.h"

namespace tarvosk {
namespace {

using test::Bytes;
using test::SyntheticDisk;

struct Family {
  CCompoundDoc doc;
  CMSWordFilter word{&doc};
  CExcelFilter excel{&doc};
  CPPTFilter ppt{&doc};
  CPublisherFilter publisher{&doc};
};

void feed(CCompoundDoc& doc, const SyntheticDisk& disk, std::set<std::uint64_t> unavailable = {}) {
  test::FeedOptions options;
  options.unitSize = disk.unitSize();
  options.unavailable = std::move(unavailable);
  test::feedUnits(doc, disk.span(), options);
}

TEST(CompoundDoc, TypesAndChildrenPresentTheirLists) {
  Family f;
  EXPECT_EQ(f.doc.GetExtension(), u".stg");
  EXPECT_EQ(f.doc.GetName(), u"无法识别的文档");
  EXPECT_EQ(f.doc.GetCategory(), u"文档");
  EXPECT_EQ(f.word.GetExtension(), u".doc");
  EXPECT_EQ(f.word.GetName(), u"Microsoft Word 文档");
  EXPECT_EQ(f.excel.GetExtension(), u".xls");
  EXPECT_EQ(f.excel.GetName(), u"Microsoft Excel 文档");
  EXPECT_EQ(f.ppt.GetExtension(), u".ppt");
  EXPECT_EQ(f.ppt.GetName(), u"Microsoft PowerPoint 文档");
  EXPECT_EQ(f.publisher.GetExtension(), u".pub");
  EXPECT_EQ(f.publisher.GetName(), u"Microsoft Publisher 文档");
  for (CTypeFilter* child : {static_cast<CTypeFilter*>(&f.word), static_cast<CTypeFilter*>(&f.excel),
                             static_cast<CTypeFilter*>(&f.ppt), static_cast<CTypeFilter*>(&f.publisher)})
    EXPECT_EQ(child->GetCategory(), u"文档");
  ASSERT_EQ(f.doc.children.size(), 4u);
  EXPECT_EQ(f.doc.children[0], &f.word);
  EXPECT_EQ(f.doc.children[3], &f.publisher);
}

class RealOfficeDocument : public ::testing::TestWithParam<std::tuple<const char*, std::uint32_t>> {};

// A document converted by LibreOffice, between noise, is found at its start unit in its
// subtype's list with its true length (the FAT's free tail is trimmed), and the carved bytes are
// the document.
TEST_P(RealOfficeDocument, IsFoundWithItsTrueLength) {
  const auto [name, unitSize] = GetParam();
  const Bytes original = test::readWholeFile(test::fixturePath(name));
  SyntheticDisk disk(unitSize, 11);
  disk.random(3);
  const std::uint64_t start = disk.place(original);
  disk.random(2);
  Family f;
  feed(f.doc, disk);

  const std::string n = name;
  CTypeFilter& child = n.ends_with(".doc") ? static_cast<CTypeFilter&>(f.word)
                       : n.ends_with(".xls") ? static_cast<CTypeFilter&>(f.excel)
                                             : static_cast<CTypeFilter&>(f.ppt);
  ASSERT_EQ(child.GetResults().size(), 1u);
  const FoundFile found = child.GetResults()[0];
  EXPECT_EQ(found.startUnit, start);
  EXPECT_EQ(found.length, original.size());
  EXPECT_EQ(found.chance, kChanceMayBeGood);
  EXPECT_EQ(disk.carve(found.startUnit, found.length), original);
  std::size_t total = 0;
  for (std::size_t k = 0; k < CCompoundDoc::kListCount; ++k) total += f.doc.resultsOf(k).size();
  EXPECT_EQ(total, 1u);
}

INSTANTIATE_TEST_SUITE_P(CompoundDoc, RealOfficeDocument,
                         ::testing::Combine(::testing::Values("letter.doc", "sheet.xls", "slides.ppt"),
                                            ::testing::Values(512u, 4096u)),
                         test::FixtureCaseName{});

TEST(CompoundDoc, UnavailableUnitInsideARealDocumentLowersTheChanceOnly) {
  const Bytes original = test::readWholeFile(test::fixturePath("letter.doc"));
  SyntheticDisk disk(512, 3);
  disk.random(1);
  const std::uint64_t start = disk.place(original);
  disk.random(1);
  Family f;
  feed(f.doc, disk, {start + 5});
  ASSERT_EQ(f.word.GetResults().size(), 1u);
  EXPECT_EQ(f.word.GetResults()[0].length, original.size());
  EXPECT_EQ(f.word.GetResults()[0].chance, kChancePoor);
}

TEST(CompoundDoc, PublisherTextGivesAPublisherDocument) {
  const Bytes file = test::makeCompoundFile(6, {"", "Microsoft Publisher 9.0"});
  SyntheticDisk disk(512, 5);
  disk.random(2);
  const std::uint64_t start = disk.place(file);
  disk.random(2);
  Family f;
  feed(f.doc, disk);
  ASSERT_EQ(f.publisher.GetResults().size(), 1u);
  EXPECT_EQ(f.publisher.GetResults()[0].startUnit, start);
  EXPECT_EQ(f.publisher.GetResults()[0].length, file.size());
  EXPECT_EQ(f.publisher.GetResults()[0].chance, kChanceMayBeGood);
  EXPECT_TRUE(f.word.GetResults().empty());
}

// S = 512, n = 1: 66,048 bytes mapped; 100 free entries at the end of the FAT sector (at offset
// 512, inside the unit) take it down to 14,848, and the document is reported once that many
// bytes have been counted.
TEST(CompoundDoc, FreeFatTailTrimsTheEstimate) {
  const Bytes file = test::makeCompoundFile(27, {"MSWord"});
  ASSERT_EQ(file.size(), 14848u);
  auto header = parseCompoundHeader(file);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->expectedLength, 66048u);
  EXPECT_EQ(header->lastFatOffset, 512u);

  Family f;
  f.doc.Reset();
  Bytes padded = file;
  padded.resize(66048 + 4096, 0);
  for (std::uint64_t u = 0; u < 28; ++u) f.doc.Feed(u, padded.data() + u * 512, 512);
  EXPECT_TRUE(f.word.GetResults().empty()) << "reported before 14,848 bytes were counted";
  f.doc.Feed(28, padded.data() + 28 * 512, 512);
  ASSERT_EQ(f.word.GetResults().size(), 1u);
  EXPECT_EQ(f.word.GetResults()[0].length, 14848u);
  EXPECT_EQ(f.word.GetResults()[0].chance, kChanceMayBeGood);

  Family g;
  SyntheticDisk disk(4096);
  disk.place(file);
  disk.zeros(16);
  feed(g.doc, disk);
  ASSERT_EQ(g.word.GetResults().size(), 1u);
  EXPECT_EQ(g.word.GetResults()[0].length, 14848u);
}

TEST(CompoundDoc, FatSectorLargerThanTheUnitIsNotTrimmed) {
  Bytes file = test::makeCompoundFile(3, {"Excel"});
  putLe16(&file[0x1E], 12);  // 4096-byte sectors: the FAT sector runs past a 512-byte unit
  auto header = parseCompoundHeader(file);
  ASSERT_TRUE(header.has_value());
  EXPECT_EQ(header->expectedLength, 4096u * 4096u / 4u + 512u);
  SyntheticDisk disk(512);
  disk.place(file);
  disk.zeros(static_cast<std::size_t>(header->expectedLength / 512) + 2);
  Family f;
  feed(f.doc, disk);
  ASSERT_EQ(f.excel.GetResults().size(), 1u);
  EXPECT_EQ(f.excel.GetResults()[0].length, header->expectedLength);
}

TEST(CompoundDoc, HeaderChecksRejectCandidates) {
  Bytes file = test::makeCompoundFile(3, {"MSWord"});
  EXPECT_TRUE(parseCompoundHeader(file).has_value());

  Bytes n110 = file;
  putLe32(&n110[0x2C], 110);
  EXPECT_FALSE(parseCompoundHeader(n110).has_value());
  Bytes n109 = file;
  putLe32(&n109[0x2C], 109);
  putLe32(&n109[0x4C + 4 * 108], 0);
  EXPECT_TRUE(parseCompoundHeader(n109).has_value());

  Bytes shift16 = file;
  putLe16(&shift16[0x1E], 16);
  EXPECT_FALSE(parseCompoundHeader(shift16).has_value());

  Bytes beyond = file;  // the last FAT sector lies beyond what one FAT sector maps
  putLe32(&beyond[0x4C], 200);
  EXPECT_FALSE(parseCompoundHeader(beyond).has_value());

  Bytes tooLong = file;  // 4096-byte sectors, 7 FAT sectors: 29 MB mapped
  putLe16(&tooLong[0x1E], 12);
  putLe32(&tooLong[0x2C], 7);
  for (int i = 0; i < 7; ++i) putLe32(&tooLong[0x4C + 4 * i], static_cast<std::uint32_t>(i));
  EXPECT_FALSE(parseCompoundHeader(tooLong).has_value());

  Bytes hugeSector = file;  // 512 x 2^23 + 512 wraps to 512 in 32 bits; it is still beyond the FAT
  putLe32(&hugeSector[0x4C], 0x00800000);
  EXPECT_FALSE(parseCompoundHeader(hugeSector).has_value());

  // n = 110 fed: nothing opens, nothing is reported.
  SyntheticDisk disk(512);
  disk.place(n110);
  disk.zeros(200);
  Family f;
  feed(f.doc, disk);
  for (std::size_t k = 0; k < CCompoundDoc::kListCount; ++k) EXPECT_TRUE(f.doc.resultsOf(k).empty());
}

TEST(CompoundDoc, FirstTextFoundDecidesTheSubtype) {
  // "Excel" in sector 1 (unit 3 with 512-byte units), "MSWord" in sector 2 (unit 4): Excel.
  Family f;
  SyntheticDisk disk(512);
  disk.place(test::makeCompoundFile(6, {"Excel", "MSWord"}));
  disk.random(1);
  feed(f.doc, disk);
  ASSERT_EQ(f.excel.GetResults().size(), 1u);
  EXPECT_TRUE(f.word.GetResults().empty());

  // Both in one unit (4096-byte units hold the whole document): Word, the first pattern tried.
  Family g;
  SyntheticDisk one(4096);
  one.place(test::makeCompoundFile(6, {"Excel", "MSWord", "PowerPoint"}));
  one.random(1);
  feed(g.doc, one);
  ASSERT_EQ(g.word.GetResults().size(), 1u);
  EXPECT_TRUE(g.excel.GetResults().empty());
  EXPECT_TRUE(g.ppt.GetResults().empty());
}

TEST(CompoundDoc, DocumentOfNoKnownApplicationStaysInTheUnshownList) {
  Family f;
  SyntheticDisk disk(512);
  const Bytes file = test::makeCompoundFile(4, {"Some other application"});
  disk.place(file);
  disk.random(1);
  feed(f.doc, disk);
  ASSERT_EQ(f.doc.resultsOf(CCompoundDoc::kUnknown).size(), 1u);
  EXPECT_EQ(f.doc.resultsOf(CCompoundDoc::kUnknown)[0].length, file.size());
  EXPECT_EQ(f.doc.GetName(), u"无法识别的文档");  // the name the scan driver never shows
  EXPECT_TRUE(f.word.GetResults().empty());
  EXPECT_TRUE(f.excel.GetResults().empty());
  EXPECT_TRUE(f.ppt.GetResults().empty());
  EXPECT_TRUE(f.publisher.GetResults().empty());
}

TEST(CompoundDoc, UnavailableUnitGivesChancePoorAndTheSameLength) {
  Family f;
  SyntheticDisk disk(512);
  const Bytes file = test::makeCompoundFile(10, {"PowerPoint"});
  disk.place(file);
  disk.random(1);
  feed(f.doc, disk, {6});
  ASSERT_EQ(f.ppt.GetResults().size(), 1u);
  EXPECT_EQ(f.ppt.GetResults()[0].length, file.size());
  EXPECT_EQ(f.ppt.GetResults()[0].chance, kChancePoor);
}

TEST(CompoundDoc, NewSignatureClosesTheOpenDocumentWithItsEstimate) {
  Family f;
  SyntheticDisk disk(512);
  Bytes first = test::makeCompoundFile(20, {"MSWord"});
  first.resize(512 * 6);  // cut: the next document starts where its sectors would continue
  disk.place(first);
  const Bytes second = test::makeCompoundFile(3, {"Excel"});
  const std::uint64_t secondStart = disk.place(second);
  disk.random(1);
  feed(f.doc, disk);
  ASSERT_EQ(f.word.GetResults().size(), 1u);
  EXPECT_EQ(f.word.GetResults()[0].startUnit, 0u);
  EXPECT_EQ(f.word.GetResults()[0].length, 512u * 22u);  // the trimmed estimate of the cut file
  EXPECT_EQ(f.word.GetResults()[0].chance, kChancePoor);
  ASSERT_EQ(f.excel.GetResults().size(), 1u);
  EXPECT_EQ(f.excel.GetResults()[0].startUnit, secondStart);
  EXPECT_EQ(f.excel.GetResults()[0].chance, kChanceMayBeGood);
}

TEST(CompoundDoc, DocumentOpenAtTheEndOfTheRangeIsNotReported) {
  Family f;
  SyntheticDisk disk(512);
  Bytes file = test::makeCompoundFile(20, {"MSWord"});
  file.resize(512 * 8);
  disk.place(file);
  feed(f.doc, disk);
  for (std::size_t k = 0; k < CCompoundDoc::kListCount; ++k) EXPECT_TRUE(f.doc.resultsOf(k).empty());
}

TEST(CompoundDoc, DisabledChildOrParentShowsNothing) {
  Family f;
  SyntheticDisk disk(512);
  disk.place(test::makeCompoundFile(3, {"MSWord"}));
  disk.place(test::makeCompoundFile(3, {"Nothing known"}));
  disk.random(1);
  feed(f.doc, disk);
  ASSERT_EQ(f.word.GetResults().size(), 1u);
  ASSERT_EQ(f.doc.GetResults().size(), 1u);
  f.word.enabled = false;
  f.doc.enabled = false;
  EXPECT_TRUE(f.word.GetResults().empty());
  EXPECT_TRUE(f.doc.GetResults().empty());
  EXPECT_EQ(f.doc.resultsOf(CCompoundDoc::kWord).size(), 1u);
  // The children are never fed: feeding one changes nothing.
  f.word.Feed(0, disk.span().data(), 512);
  EXPECT_EQ(f.doc.resultsOf(CCompoundDoc::kWord).size(), 1u);
}

}  // namespace
}  // namespace tarvosk
