// The PDF recogniser: closed at the first "%%EOF" in a unit later than the first unit that held
// one, with ghostscript's PDFs (one marker, and an incremental update with two).
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/DocTestSupport.h"
#include "types/PDFFilter.h"

namespace tarvosk {
namespace {

using test::Bytes;
using test::SyntheticDisk;

void feed(CPDFFilter& pdf, ByteSpan disk, std::uint32_t unitSize, std::set<std::uint64_t> unavailable = {}) {
  test::FeedOptions options;
  options.unitSize = unitSize;
  options.unavailable = std::move(unavailable);
  test::feedUnits(pdf, disk, options);
}

// A hand-built PDF: a marker at offset 200 of unit 0 and one at offset at of unit lastUnit.
Bytes twoMarkerPdf(std::uint32_t unitSize, std::uint64_t lastUnit, std::size_t at, std::string_view start = "%PDF-1.4") {
  Bytes b(unitSize * (lastUnit + 1), ' ');
  std::copy(start.begin(), start.end(), b.begin());
  const std::string marker = "%%EOF\n";
  std::copy(marker.begin(), marker.end(), b.begin() + 200);
  std::copy(marker.begin(), marker.end(), b.begin() + static_cast<std::ptrdiff_t>(unitSize * lastUnit + at));
  b.resize(unitSize * lastUnit + at + marker.size());
  return b;
}

TEST(PDFFilter, Type) {
  CPDFFilter pdf;
  EXPECT_EQ(pdf.GetExtension(), u".pdf");
  EXPECT_EQ(pdf.GetName(), u"PDF 文档");
  EXPECT_EQ(pdf.GetCategory(), u"文档");
}

class RealUpdatedPdf : public ::testing::TestWithParam<std::uint32_t> {};

// ghostscript's PDF with an appended update: closed at the second marker with its true length.
TEST_P(RealUpdatedPdf, IsFoundWithItsTrueLength) {
  const std::uint32_t unitSize = GetParam();
  const Bytes original = test::readWholeFile(test::fixturePath("updated.pdf"));
  SyntheticDisk disk(unitSize, 31);
  disk.random(2);
  const std::uint64_t start = disk.place(original);
  disk.random(3);
  CPDFFilter pdf;
  feed(pdf, disk.span(), unitSize);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].startUnit, start);
  EXPECT_EQ(pdf.GetResults()[0].length, original.size());
  EXPECT_EQ(pdf.GetResults()[0].chance, kChanceMayBeGood);
  EXPECT_EQ(disk.carve(start, original.size()), original);
}

INSTANTIATE_TEST_SUITE_P(PDFFilter, RealUpdatedPdf, ::testing::Values(512u, 4096u));

TEST(PDFFilter, SingleMarkerPdfIsReportedAtTheNextStart) {
  const Bytes single = test::readWholeFile(test::fixturePath("single.pdf"));
  const Bytes updated = test::readWholeFile(test::fixturePath("updated.pdf"));
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize, 32);
    disk.random(1);
    const std::uint64_t first = disk.place(single);
    disk.random(4);
    CPDFFilter pdf;
    feed(pdf, disk.span(), unitSize);
    EXPECT_TRUE(pdf.GetResults().empty()) << "closed at its only marker";

    const std::uint64_t second = disk.place(updated);
    disk.random(1);
    pdf.Reset();
    feed(pdf, disk.span(), unitSize);
    ASSERT_EQ(pdf.GetResults().size(), 2u);
    EXPECT_EQ(pdf.GetResults()[0].startUnit, first);
    EXPECT_EQ(pdf.GetResults()[0].length, (second - first) * unitSize);
    EXPECT_EQ(pdf.GetResults()[0].chance, kChancePoor);
    EXPECT_EQ(pdf.GetResults()[1].startUnit, second);
    EXPECT_EQ(pdf.GetResults()[1].length, updated.size());
  }
}

TEST(PDFFilter, SecondMarkerGivesCountedPlusOffsetPlusSix) {
  const Bytes file = twoMarkerPdf(512, 3, 40);
  CPDFFilter pdf;
  feed(pdf, file, 512);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, 512u * 3 + 40 + 6);
  EXPECT_EQ(pdf.GetResults()[0].chance, kChanceMayBeGood);
}

TEST(PDFFilter, TwoMarkersInOneUnitCountAsOne) {
  Bytes file = twoMarkerPdf(512, 2, 10);
  const std::string marker = "%%EOF\n";
  std::copy(marker.begin(), marker.end(), file.begin() + 300);  // a second marker in unit 0
  Bytes disk = file;
  disk.resize(512 * 6, ' ');
  CPDFFilter pdf;
  for (std::uint64_t u = 0; u < 2; ++u) pdf.Feed(u, disk.data() + u * 512, 512);
  EXPECT_TRUE(pdf.GetResults().empty());
  pdf.Feed(2, disk.data() + 2 * 512, 512);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, 512u * 2 + 10 + 6);
}

TEST(PDFFilter, SignatureAndMarkerIgnoreCase) {
  Bytes file = twoMarkerPdf(512, 1, 100, "%pdf-1.3");
  const std::string lower = "%%eof";
  std::copy(lower.begin(), lower.end(), file.begin() + 512 + 100);
  CPDFFilter pdf;
  feed(pdf, file, 512);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, 512u + 100 + 6);
}

TEST(PDFFilter, SignatureOnlyAtAUnitStart) {
  Bytes disk(512 * 4, ' ');
  const std::string text = "%PDF-1.4 %%EOF";
  std::copy(text.begin(), text.end(), disk.begin() + 1);
  std::copy(text.begin() + 9, text.end(), disk.begin() + 1024);
  CPDFFilter pdf;
  feed(pdf, disk, 512);
  EXPECT_TRUE(pdf.GetResults().empty());
}

TEST(PDFFilter, UnavailableUnitGivesChancePoor) {
  const Bytes file = twoMarkerPdf(512, 4, 0);
  CPDFFilter pdf;
  feed(pdf, file, 512, {2});
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, 512u * 4 + 6);
  EXPECT_EQ(pdf.GetResults()[0].chance, kChancePoor);
}

TEST(PDFFilter, LimitClosesWithChancePoor) {
  Bytes first(4096, ' ');
  const std::string start = "%PDF-1.4 %%EOF\n";
  std::copy(start.begin(), start.end(), first.begin());
  first.resize(8192, ' ');
  Bytes blank(8192, ' ');
  CPDFFilter pdf;
  pdf.Feed(0, first.data(), 4096);
  std::uint64_t u = 1;
  for (; u < 7000 && pdf.GetResults().empty(); ++u) pdf.Feed(u, blank.data(), 4096);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, kMaxCarvedFileLength);
  EXPECT_EQ(pdf.GetResults()[0].chance, kChancePoor);
  EXPECT_EQ(u, kMaxCarvedFileLength / 4096 + 1);
}

// 25 MB counted exactly (the limit not yet exceeded), then the closing marker: the end lies past
// the limit, so the PDF is reported as one that reached it, never longer.
TEST(PDFFilter, EndPastTheLimitIsReportedAtTheLimit) {
  Bytes first(8192, ' ');
  const std::string start = "%PDF-1.4 %%EOF\n";
  std::copy(start.begin(), start.end(), first.begin());
  Bytes blank(8192, ' ');
  Bytes last(8192, ' ');
  const std::string marker = "%%EOF\n";
  std::copy(marker.begin(), marker.end(), last.begin() + 100);
  CPDFFilter pdf;
  pdf.Feed(0, first.data(), 4096);
  const std::uint64_t units = kMaxCarvedFileLength / 4096;
  for (std::uint64_t u = 1; u < units; ++u) pdf.Feed(u, blank.data(), 4096);
  ASSERT_TRUE(pdf.GetResults().empty());
  pdf.Feed(units, last.data(), 4096);
  ASSERT_EQ(pdf.GetResults().size(), 1u);
  EXPECT_EQ(pdf.GetResults()[0].length, kMaxCarvedFileLength);
  EXPECT_EQ(pdf.GetResults()[0].chance, kChancePoor);
}

}  // namespace
}  // namespace tarvosk
