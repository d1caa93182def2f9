// Exact carving lengths: real files made by real tools (build-exact-fixtures.sh and the media and
// document sets) are found at their start unit with their own length, whether zeros or old data
// follow them in their last unit; and the edges no tool makes: characters and end markers across
// a unit's end, markup whose end tag hides in comments, short and mixed MP3 chains, AVI
// extension chunks and videos cut short by the end of the scan.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "support/ScopedExactLengths.h"
#include "support/TestSupport.h"
#include "types/AviType.h"
#include "types/CarvingDisk.h"
#include "types/MP3ype.h"
#include "types/MarkupEnd.h"
#include "types/PDFFilter.h"
#include "types/TextDoc.h"
#include "types/TiffType.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;
using Bytes = std::vector<std::uint8_t>;

Bytes textBytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

// Every list of a recogniser, in one.
template <class T>
std::vector<FoundFile> found(T& r) {
  return r.GetResults();
}
template <class Parent>
std::vector<FoundFile> allLists(Parent& r) {
  std::vector<FoundFile> all;
  for (std::size_t k = 0; k < Parent::kListCount; ++k) all.insert(all.end(), r.resultsOf(k).begin(), r.resultsOf(k).end());
  return all;
}
template <>
std::vector<FoundFile> found(CTiffType& r) {
  return allLists(r);
}
template <>
std::vector<FoundFile> found(CTextDoc& r) {
  return allLists(r);
}

// What follows a file in its last unit: the zeros an operating system writes there, or old data
// (text, for the recognisers that read text).
enum class Slack { kZeros, kOldText, kOldBinary };

SyntheticDisk diskWith(const Bytes& file, std::uint32_t unitSize, Slack slack, std::uint64_t& start) {
  SyntheticDisk disk(unitSize, 41);
  disk.noise(2);
  start = disk.place(file);
  const Bytes old = slack == Slack::kOldText ? textBytes("x old words left in the slack of the cluster ")
                                             : test::randomBytes(64, 3);
  Bytes& bytes = disk.raw();
  if (slack != Slack::kZeros)
    for (std::size_t i = start * unitSize + file.size(), k = 0; i < bytes.size(); ++i, ++k) bytes[i] = old[k % old.size()];
  disk.noise(2);
  return disk;
}

struct RealFile {
  const char* path;  // under the fixture folder
  const char* kind;  // tif, pdf, txt, mp3, avi
  // Plain text has no end of its own: it ends at the zeros after it, and any text or binary
  // byte read as text would belong to it.
  bool endsAtZeros;
};

template <class T>
std::vector<FoundFile> carveWith(const SyntheticDisk& disk) {
  T recogniser;
  test::feedUnits(recogniser, disk.bytes(), test::opts(disk.unitSize()));
  return found(recogniser);
}

std::vector<FoundFile> carve(const std::string& kind, const SyntheticDisk& disk) {
  if (kind == "tif") return carveWith<CTiffType>(disk);
  if (kind == "pdf") return carveWith<CPDFFilter>(disk);
  if (kind == "txt") return carveWith<CTextDoc>(disk);
  if (kind == "mp3") return carveWith<CMP3ype>(disk);
  return carveWith<CAviType>(disk);
}

class ExactRealFile : public ::testing::TestWithParam<RealFile> {};

TEST_P(ExactRealFile, IsFoundAtItsStartWithItsOwnLength) {
  const RealFile& f = GetParam();
  const Bytes file = test::readWholeFile(test::fixturePath(f.path));
  test::ScopedExactLengths exact;
  for (std::uint32_t unitSize : {512u, 4096u}) {
    for (Slack slack : {Slack::kZeros, Slack::kOldText, Slack::kOldBinary}) {
      if (slack != Slack::kZeros && f.endsAtZeros) continue;
      SCOPED_TRACE(::testing::Message() << "unit " << unitSize << " slack " << static_cast<int>(slack));
      std::uint64_t start = 0;
      const SyntheticDisk disk = diskWith(file, unitSize, slack, start);
      const std::vector<FoundFile> all = carve(f.kind, disk);
      const FoundFile* at = test::foundAt(all, start);
      const std::uint8_t chance = std::string(f.kind) == "avi" ? kChanceNotRated : kChanceMayBeGood;
      test::expectFile(at, start, file.size(), chance);
      if (at) {
        EXPECT_EQ(disk.carve(*at), file);
      }
    }
  }
}

const RealFile kRealFiles[] = {
    {"media/little.tif", "tif", false},      {"media/big.tif", "tif", false},
    {"exact/tiled.tif", "tif", false},       {"exact/pages.tif", "tif", false},
    {"exact/rewritten.tif", "tif", false},   {"exact/exif.tif", "tif", false},
    {"single.pdf", "pdf", false},            {"updated.pdf", "pdf", false},
    {"exact/libreoffice.pdf", "pdf", false}, {"exact/linearized.pdf", "pdf", false},
    {"exact/xref-stream.pdf", "pdf", false}, {"exact/utf8.txt", "txt", true},
    {"exact/gbk.txt", "txt", true},          {"exact/utf8.html", "txt", false},
    {"exact/gbk.html", "txt", false},        {"exact/utf8.xml", "txt", false},
    {"exact/gbk.xml", "txt", false},         {"exact/short.mp3", "mp3", false},
    {"exact/minute.mp3", "mp3", false},      {"exact/sound.avi", "avi", false},
};
std::string realFileCaseName(const ::testing::TestParamInfo<RealFile>& file) {
  std::string name = file.param.path;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}
INSTANTIATE_TEST_SUITE_P(Fixtures, ExactRealFile, ::testing::ValuesIn(kRealFiles), realFileCaseName);

// --- Text ---------------------------------------------------------------------------------------

// 2,000 bytes of text with a character of `character` bytes placed to cross the end of the second
// 512-byte unit (the first unit's start test sees only ASCII), then a NUL.
Bytes textAcrossUnits(std::string_view character) {
  Bytes b(2000, 'a');
  for (std::size_t i = 60; i < b.size(); i += 61) b[i] = '\n';
  std::memcpy(b.data() + 1023, character.data(), character.size());
  b.push_back(0);
  return b;
}

TEST(ExactText, CharactersAcrossAUnitEndKeepTheRunWholeAndABrokenOneEndsIt) {
  struct Case {
    std::string_view character;
    bool whole;
  };
  const Case cases[] = {{"\xE4\xB8\xAD", true},     // UTF-8 中
                        {"\xF0\x9F\x98\x80", true},  // UTF-8, four bytes
                        {"\xD6\xD0", true},           // GBK 中
                        {"\xE4\x0A", false},          // a lead byte cut short
                        {"\xFF\x41", false},          // a byte neither encoding has
                        {"\xFE\xFE", false}};         // GBK's user-defined area, where light pixels fall
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.character)));
    const Bytes text = textAcrossUnits(c.character);
    {
      test::ScopedExactLengths exact;
      CTextDoc doc;
      test::feedUnits(doc, text, test::opts(512));
      ASSERT_EQ(doc.resultsOf(0).size(), c.whole ? 1u : 2u) << "a broken character ends the run; the next unit opens one";
      EXPECT_EQ(doc.resultsOf(0)[0].length, c.whole ? text.size() - 1 : 1023u);
    }
    CTextDoc classic;
    test::feedUnits(classic, text, test::opts(512));
    ASSERT_FALSE(classic.resultsOf(0).empty());
    EXPECT_EQ(classic.resultsOf(0)[0].length, 1023u) << "the classic run ends at the first byte above 0x7F";
  }
}

// ASCII paragraphs of 1,500 bytes, each after a Chinese heading.
Bytes sparselyChineseText() {
  std::string text;
  for (int p = 0; p < 8; ++p) {
    text += "\xE7\xAC\xAC " + std::to_string(p) + " \xE7\xAB\xA0\n";  // 第 p 章
    for (int i = 0; i < 25; ++i) text += "Plain words of the paragraph, sixty bytes long in all....\n";
  }
  return textBytes(text);
}

TEST(ExactText, TextWithChineseIsOneFileWhereTheClassicRulesLoseItOrCutItIntoFragments) {
  const Bytes files[] = {test::readWholeFile(test::fixturePath("exact/utf8.txt")),
                         test::readWholeFile(test::fixturePath("exact/gbk.txt")), sparselyChineseText()};
  for (const Bytes& file : files) {
    SyntheticDisk disk(512, 5);
    disk.noise(1);
    const std::uint64_t start = disk.place(file);
    disk.noise(1);
    CTextDoc classic;
    test::feedUnits(classic, disk.bytes(), test::opts(512));
    const FoundFile* whole = test::foundAt(classic.resultsOf(0), start);
    EXPECT_TRUE(whole == nullptr || whole->length < file.size());

    test::ScopedExactLengths exact;
    CTextDoc doc;
    test::feedUnits(doc, disk.bytes(), test::opts(512));
    ASSERT_EQ(doc.resultsOf(0).size(), 1u) << "one file, not a fragment per unit";
    test::expectFile(&doc.resultsOf(0)[0], start, file.size(), kChanceMayBeGood);
  }
  SyntheticDisk sparse(512, 5);
  sparse.place(sparselyChineseText());
  CTextDoc classic;
  test::feedUnits(classic, sparse.bytes(), test::opts(512));
  EXPECT_GE(classic.resultsOf(0).size(), 6u) << "the classic rules: a fragment after every heading";
}

TEST(ExactText, PlainTextNeedsALineAndMarkupEndsAfterOneLineEnd) {
  const std::string pixels(3000, 'M');  // middle-grey pixels read as ASCII, and never a line
  const std::string html = "<html><body>" + std::string(1500, 'w') + "</body></html>";
  const std::string xml = "<?xml version=\"1.0\"?><r>" + std::string(1500, 'w') + "</r>";
  struct Case {
    std::string text;  // followed by a NUL
    std::size_t subtype;
    std::size_t exactLength;  // 0: no run
  };
  const Case cases[] = {
      {pixels, CTextDoc::kPlain, 0},
      {html + "\n\n  old words", CTextDoc::kHtml, html.size() + 1},
      {xml + "\r\nold words", CTextDoc::kXml, xml.size() + 2},
      {xml + " old words", CTextDoc::kXml, xml.size()},
  };
  for (const Case& c : cases) {
    Bytes text = textBytes(c.text);
    text.push_back(0);
    CTextDoc classic;
    test::feedUnits(classic, text, test::opts(512));
    ASSERT_EQ(classic.resultsOf(c.subtype).size(), 1u) << c.text.substr(0, 20);
    EXPECT_EQ(classic.resultsOf(c.subtype)[0].length, c.text.size()) << "the classic rules read on to the NUL";
    test::ScopedExactLengths exact;
    CTextDoc doc;
    test::feedUnits(doc, text, test::opts(512));
    ASSERT_EQ(doc.resultsOf(c.subtype).size(), c.exactLength == 0 ? 0u : 1u) << c.text.substr(0, 20);
    if (c.exactLength != 0) test::expectFile(&doc.resultsOf(c.subtype)[0], 0, c.exactLength, kChanceMayBeGood);
  }
}

TEST(ExactText, XmlRootEndsAfterCommentsCDataDeclarationsAndQuotedBrackets) {
  struct Case {
    std::string_view document;
    std::size_t end;  // just after the root's end, or kMarkupEndNotFound
  };
  const Case cases[] = {
      {"<?xml version=\"1.0\"?>\n<r><a/><b x=\"</r>\">t</b></r>\ntail", 50},
      {"<!-- </r> --><!DOCTYPE r [<!ENTITY e \"<r>\">]><r><![CDATA[</r>]]></r>", 68},
      {"<r/>", 4},
      {"<r><r></r></r>", 14},
      {"</r><r></r>", kMarkupEndNotFound},  // an end tag with nothing open: broken
      {"<r><a>", kMarkupEndNotFound},
  };
  for (const Case& c : cases) {
    // Whole, and one byte at a time, as the units may cut it.
    XmlRootEnd whole;
    EXPECT_EQ(whole.feed(textBytes(c.document)), c.end) << c.document;
    XmlRootEnd bytewise;
    std::size_t end = kMarkupEndNotFound;
    for (std::size_t i = 0; i < c.document.size() && end == kMarkupEndNotFound; ++i)
      if (bytewise.feed(textBytes(c.document.substr(i, 1))) != kMarkupEndNotFound) end = i + 1;
    EXPECT_EQ(end, c.end) << c.document;
  }
}

// --- PDF ----------------------------------------------------------------------------------------

// A hand-made PDF whose cross-reference table lies at 100 and whose trailer's "%%EOF\n" begins
// `markerAt` bytes into the file; its startxref says xrefAt.
Bytes pdfWithTrailer(std::size_t markerAt, std::size_t xrefAt) {
  Bytes b(markerAt, ' ');
  std::memcpy(b.data(), "%PDF-1.4\n", 9);
  std::memcpy(b.data() + 100, "xref\n0 1\n", 9);
  const std::string trailer = "startxref\n" + std::to_string(xrefAt) + "\n";
  std::memcpy(b.data() + markerAt - trailer.size(), trailer.data(), trailer.size());
  const std::string marker = "%%EOF\n";
  b.insert(b.end(), marker.begin(), marker.end());
  return b;
}

TEST(ExactPdf, AMarkerAcrossAUnitEndIsCheckedWhenTheNextUnitComes) {
  test::ScopedExactLengths exact;
  for (std::size_t markerAt : {1020u, 1022u, 1024u}) {  // "%%EOF\n" crosses, ends at, follows the unit end
    const Bytes pdf = pdfWithTrailer(markerAt, 100);
    SyntheticDisk disk(512);
    const std::uint64_t start = disk.place(pdf);
    disk.noise(2);
    CPDFFilter filter;
    test::feedUnits(filter, disk.bytes(), test::opts(512));
    ASSERT_EQ(filter.GetResults().size(), 1u) << markerAt;
    test::expectFile(&filter.GetResults()[0], start, pdf.size(), kChanceMayBeGood);

    // The unit after the marker's first bytes is in use: the marker cannot be read whole, and the
    // document stays open as the classic rule has it, until the limit.
    if (markerAt == 1020) {
      CPDFFilter gapped;
      test::feedUnits(gapped, disk.bytes(), test::opts(512, {2}));
      EXPECT_TRUE(gapped.GetResults().empty());
    }
  }
}

TEST(ExactPdf, AMarkerWhoseStartxrefPointsNowhereLeavesTheClassicRule) {
  test::ScopedExactLengths exact;
  const Bytes pdf = pdfWithTrailer(3000, 90);  // no "xref" at 90
  SyntheticDisk disk(512);
  const std::uint64_t first = disk.place(pdf);
  const std::uint64_t second = disk.place(pdfWithTrailer(600, 100));
  disk.zeros(2);
  CPDFFilter filter;
  test::feedUnits(filter, disk.bytes(), test::opts(512));
  ASSERT_EQ(filter.GetResults().size(), 2u);
  // One marker only: open until the next document starts, as without exact lengths.
  test::expectFile(&filter.GetResults()[0], first, (second - first) * 512, kChancePoor);
  test::expectFile(&filter.GetResults()[1], second, 606, kChanceMayBeGood);
}

// --- MP3 ----------------------------------------------------------------------------------------

// frames MPEG-1 Layer III frames of 417 bytes at 44.1 kHz, then `more` frames at 48 kHz.
Bytes mp3Frames(int frames, int more = 0) {
  Bytes b;
  for (int f = 0; f < frames + more; ++f) {
    const bool other = f >= frames;
    const std::size_t at = b.size();
    b.resize(at + (other ? 384 : 417), 0x55);
    const std::uint8_t header[4] = {0xFF, 0xFB, static_cast<std::uint8_t>(other ? 0x94 : 0x90), 0x00};
    std::memcpy(b.data() + at, header, 4);
  }
  return b;
}

TEST(ExactMp3, TenFramesMakeAFileAndAnotherSampleRateEndsTheChain) {
  test::ScopedExactLengths exact;
  struct Case {
    int frames, more;
    std::size_t length;  // 0: nothing found
  };
  for (const Case& c : {Case{9, 0, 0}, Case{10, 0, 4170}, Case{30, 40, 30 * 417}}) {
    SyntheticDisk disk(512, 2);
    disk.noise(1);
    const std::uint64_t start = disk.place(mp3Frames(c.frames, c.more));
    disk.zeros(2);
    CMP3ype mp3;
    test::feedUnits(mp3, disk.bytes(), test::opts(512));
    if (c.length == 0) {
      EXPECT_TRUE(mp3.GetResults().empty()) << c.frames;
      continue;
    }
    ASSERT_EQ(mp3.GetResults().size(), 1u) << c.frames;
    test::expectFile(&mp3.GetResults()[0], start, c.length, kChanceMayBeGood);
  }
}

// --- AVI ----------------------------------------------------------------------------------------

// An OpenDML video as no tool makes it small: a RIFF "AVI " chunk and two "AVIX" chunks.
Bytes openDmlVideo() {
  Bytes b;
  for (std::uint32_t size : {3000u, 1500u, 2500u}) {
    const std::size_t at = b.size();
    b.resize(at + 8 + size, 0x11);
    std::memcpy(b.data() + at, "RIFF", 4);
    putLe32(b.data() + at + 4, size);
    std::memcpy(b.data() + at + 8, at == 0 ? "AVI " : "AVIX", 4);
  }
  return b;
}

TEST(ExactAvi, ExtensionChunksCountAndTheEndOfTheScanCutsTheVideo) {
  const Bytes video = openDmlVideo();
  for (std::uint32_t unitSize : {512u, 4096u}) {
    SyntheticDisk disk(unitSize, 4);
    disk.noise(1);
    const std::uint64_t start = disk.place(video);
    disk.noise(2);
    test::ScopedExactLengths exact;
    CAviType avi;
    test::feedUnits(avi, disk.bytes(), test::opts(unitSize));
    ASSERT_EQ(avi.GetResults().size(), 1u);
    test::expectFile(&avi.GetResults()[0], start, video.size(), kChanceNotRated);

    // The scan ends two units into the video: the length is what the volume held.
    CAviType cut;
    test::feedUnits(cut, ByteSpan(disk.bytes()).first((start + 2) * unitSize), test::opts(unitSize));
    ASSERT_EQ(cut.GetResults().size(), 1u);
    EXPECT_EQ(cut.GetResults()[0].length, std::min<std::uint64_t>(2 * unitSize, video.size()));

    settings().ExactLengths = false;
    CAviType classic;
    test::feedUnits(classic, disk.bytes(), test::opts(unitSize));
    EXPECT_EQ(classic.GetResults()[0].length, 3008u) << "the first RIFF chunk alone";
  }
}

}  // namespace
}  // namespace tarvosk
