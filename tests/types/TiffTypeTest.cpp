// TIFF pictures and the TIFF-based raw formats: the IFD walk's end estimate, the Make tag's
// maker lists and the children that present them, the minimum size setting and broken chains.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/Settings.h"
#include "support/ScopedExactLengths.h"
#include "types/FilterRegistry.h"
#include "types/CanonCR2Type.h"
#include "types/CarvingDisk.h"
#include "types/KodakRawType.h"
#include "types/NikonRawType.h"
#include "types/OlympusRawType.h"
#include "types/TiffType.h"

namespace tarvosk {
namespace {

using test::SyntheticDisk;

constexpr std::uint16_t kMake = 271;
constexpr std::uint16_t kStripOffsets = 273;
constexpr std::uint16_t kStripByteCounts = 279;
constexpr std::uint16_t kSubIfds = 330;
constexpr std::uint16_t kJpegOffset = 513;
constexpr std::uint16_t kJpegLength = 514;
constexpr std::uint16_t kImageWidth = 256;
constexpr std::uint16_t kExifIfd = 34665;
constexpr std::uint16_t kMakerNote = 37500;

struct Entry {
  std::uint16_t tag;
  std::uint32_t count;
  std::uint32_t value;
};

// A hand-built TIFF file: header, IFDs and texts where the test puts them.
class TiffFile {
 public:
  TiffFile(std::size_t total, bool little = true, std::uint16_t version = 42) : little_(little), b_(total, 0x44) {
    std::memcpy(b_.data(), little ? "II" : "MM", 2);
    put16(2, version);
    put32(4, 8);
  }
  TiffFile& firstIfd(std::uint32_t at) {
    put32(4, at);
    return *this;
  }
  TiffFile& ifd(std::uint32_t at, const std::vector<Entry>& entries, std::uint32_t link) {
    put16(at, static_cast<std::uint16_t>(entries.size()));
    std::size_t e = at + 2;
    for (const Entry& entry : entries) {
      put16(e, entry.tag);
      put16(e + 2, 4);  // LONG
      put32(e + 4, entry.count);
      put32(e + 8, entry.value);
      e += 12;
    }
    put32(e, link);
    return *this;
  }
  TiffFile& text(std::uint32_t at, const std::string& s) {
    std::memcpy(b_.data() + at, s.c_str(), s.size() + 1);
    return *this;
  }
  TiffFile& longs(std::uint32_t at, const std::vector<std::uint32_t>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) put32(at + 4 * i, values[i]);
    return *this;
  }
  const std::vector<std::uint8_t>& bytes() const { return b_; }

 private:
  void put16(std::size_t at, std::uint16_t v) {
    if (little_) putLe16(b_.data() + at, v); else test::putBe16(b_.data() + at, v);
  }
  void put32(std::size_t at, std::uint32_t v) {
    if (little_) putLe32(b_.data() + at, v); else test::putBe32(b_.data() + at, v);
  }
  bool little_;
  std::vector<std::uint8_t> b_;
};

// A TIFF whose strip ends at stripEnd, with a Make text if make is not empty.
TiffFile makerTiff(const std::string& make, std::uint32_t stripEnd, std::uint16_t version = 42, bool little = true) {
  TiffFile f(stripEnd, little, version);
  std::vector<Entry> entries = {{kImageWidth, 1, 16}};
  if (!make.empty()) {
    entries.push_back({kMake, static_cast<std::uint32_t>(make.size() + 1), 200});
    f.text(200, make);
  }
  entries.push_back({kStripOffsets, 1, 300});
  entries.push_back({kStripByteCounts, 1, stripEnd - 300});
  f.ifd(8, entries, 0);
  return f;
}

// The recogniser with its four children, as the registry holds them.
struct Family {
  CTiffType tiff;
  CCanonCR2Type cr2{&tiff};
  CNikonRawType nef{&tiff};
  COlympusRawType orf{&tiff};
  CKodakRawType dcr{&tiff};
};

// Runs with the minimum TIFF size set, and restores the setting.
class MinTiffSize {
 public:
  explicit MinTiffSize(std::int32_t bytes) : saved_(settings().MinTiffFileSize) { settings().MinTiffFileSize = bytes; }
  ~MinTiffSize() { settings().MinTiffFileSize = saved_; }

 private:
  std::int32_t saved_;
};

std::uint32_t headerIfdOffset(const std::vector<std::uint8_t>& file) {
  return file[0] == 'I' ? le32(ByteSpan(file), 4) : be32(ByteSpan(file), 4);
}

TEST(TiffType, NamesItsTypeAndItsChildren) {
  Family f;
  EXPECT_EQ(f.tiff.GetExtension(), u".tif");
  EXPECT_EQ(f.tiff.GetName(), u"Tiff 图像");
  EXPECT_EQ(f.cr2.GetExtension(), u".cr2");
  EXPECT_EQ(f.cr2.GetName(), u"Canon 原始图像");
  EXPECT_EQ(f.nef.GetExtension(), u".nef");
  EXPECT_EQ(f.nef.GetName(), u"Nikon 原始图像");
  EXPECT_EQ(f.orf.GetExtension(), u".orf");
  EXPECT_EQ(f.orf.GetName(), u"Olympus 原始图像");
  EXPECT_EQ(f.dcr.GetExtension(), u".dcr");
  EXPECT_EQ(f.dcr.GetName(), u"Kodak 原始图像");
  for (CTypeFilter* t : std::initializer_list<CTypeFilter*>{&f.tiff, &f.cr2, &f.nef, &f.orf, &f.dcr})
    EXPECT_EQ(t->GetCategory(), u"图像和数码相机");
  EXPECT_EQ(f.tiff.children.size(), 4u);
}

TEST(TiffType, FindsImageMagickLittleAndBigEndianFilesEndingAtTheirDirectory) {
  // ImageMagick writes the strips first and the directory after them, so the rules end the file
  // at its directory (the directory's own bytes and its values after it are not counted).
  for (const char* name : {"little.tif", "big.tif"}) {
    const auto file = test::mediaFixture(name);
    const std::uint32_t ifd = headerIfdOffset(file);
    ASSERT_GT(ifd, 8192u);
    ASSERT_LT(ifd, file.size());
    for (std::uint32_t unitSize : {512u, 4096u}) {
      SyntheticDisk disk(unitSize, 21);
      disk.noise(2);
      const std::uint64_t start = disk.place(file);
      disk.noise(2);
      Family f;
      test::feedUnits(f.tiff, disk.bytes(), test::opts(unitSize));
      ASSERT_EQ(f.tiff.GetResults().size(), 1u) << name << " " << unitSize;
      test::expectFile(&f.tiff.GetResults()[0], start, ifd, kChanceMayBeGood);
      const auto carved = disk.carve(f.tiff.GetResults()[0]);
      EXPECT_TRUE(std::equal(carved.begin(), carved.end(), file.begin()));
    }
  }
}

TEST(TiffType, FindsExiftoolMakerFilesInTheirMakersListsWithTheirLengths) {
  struct Case {
    const char* name;
    std::size_t list;
  };
  const Case cases[] = {{"make-canon.tif", CTiffType::kCanon},     {"make-nikon.tif", CTiffType::kNikon},
                        {"make-olympus.tif", CTiffType::kOlympus}, {"make-kodak.tif", CTiffType::kKodak},
                        {"make-eastman.tif", CTiffType::kPlainTiff}};
  for (const Case& c : cases) {
    const auto file = test::mediaFixture(c.name);
    for (std::uint32_t unitSize : {512u, 4096u}) {
      SyntheticDisk disk(unitSize, 23);
      disk.noise(1);
      const std::uint64_t start = disk.place(file);
      disk.noise(2);
      Family f;
      test::feedUnits(f.tiff, disk.bytes(), test::opts(unitSize));
      for (std::size_t list = 0; list < CTiffType::kListCount; ++list) {
        const auto& found = f.tiff.resultsOf(list);
        ASSERT_EQ(found.size(), list == c.list ? 1u : 0u) << c.name << " list " << list << " unit " << unitSize;
        if (list != c.list) continue;
        // The directory comes first and the last strip ends the file: the true length.
        test::expectFile(&found[0], start, file.size(), kChanceMayBeGood);
        EXPECT_EQ(disk.carve(found[0]), file);
      }
    }
  }
}

TEST(TiffType, LastDirectoryAtEightyThousandEndsTheFileOnceTheCountPassesIt) {
  TiffFile t(90000);
  t.ifd(8, {{kStripOffsets, 1, 1000}, {kStripByteCounts, 1, 69000}}, 80000);
  t.ifd(80000, {{kImageWidth, 1, 5}}, 0);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  const std::size_t unitOfIfd = 80000 / 512;  // 156, whose end is 80,384
  CTiffType tiff;
  test::feedUnits(tiff, ByteSpan(disk.bytes()).first(unitOfIfd * 512));
  EXPECT_TRUE(tiff.GetResults().empty());
  tiff.Reset();
  test::feedUnits(tiff, ByteSpan(disk.bytes()).first((unitOfIfd + 1) * 512));
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 80000, kChanceMayBeGood);
}

TEST(TiffType, MakeTextChoosesTheMakerListIgnoringCase) {
  struct Case {
    std::string make;
    std::uint16_t version;
    int list;  // -1: not listed
  };
  const Case cases[] = {
      {"Canon", 42, 1},        {"NIKON CORPORATION", 42, 2}, {"OLYMPUS IMAGING CORP.", 0x4F52, 3},
      {"Kodak", 42, 4},        {"EASTMAN KODAK COMPANY", 42, 0}, {"EASTMAN KODAK COMPANY", 43, -1},
      {"Canon", 0x5243, 1},    {"", 42, 0},                  {"", 0x5243, -1},
  };
  for (const Case& c : cases) {
    SyntheticDisk disk(512);
    disk.place(makerTiff(c.make, 9000, c.version).bytes());
    disk.noise(1);
    Family f;
    test::feedUnits(f.tiff, disk.bytes());
    for (int list = 0; list < 6; ++list) {
      const auto& found = f.tiff.resultsOf(static_cast<std::size_t>(list));
      EXPECT_EQ(found.size(), list == c.list ? 1u : 0u) << "'" << c.make << "' list " << list;
      if (list == c.list && found.size() == 1) test::expectFile(&found[0], 0, 9000, kChanceMayBeGood);
    }
    const std::size_t expected[] = {c.list == 1, c.list == 2, c.list == 3, c.list == 4};
    EXPECT_EQ(f.cr2.GetResults().size(), expected[0]) << c.make;
    EXPECT_EQ(f.nef.GetResults().size(), expected[1]) << c.make;
    EXPECT_EQ(f.orf.GetResults().size(), expected[2]) << c.make;
    EXPECT_EQ(f.dcr.GetResults().size(), expected[3]) << c.make;
  }
}

TEST(TiffType, BigEndianRawIsSortedByItsMakeToo) {
  SyntheticDisk disk(4096);
  disk.place(makerTiff("NIKON", 20000, 42, false).bytes());
  Family f;
  test::feedUnits(f.tiff, disk.bytes(), test::opts(4096));
  ASSERT_EQ(f.nef.GetResults().size(), 1u);
  test::expectFile(&f.nef.GetResults()[0], 0, 20000, kChanceMayBeGood);
}

TEST(TiffType, ChildrenAndParentShowTheirListsOnlyWhenEnabled) {
  SyntheticDisk disk(512);
  disk.place(makerTiff("Nikon", 9000).bytes());
  disk.place(makerTiff("", 9000).bytes());
  Family f;
  test::feedUnits(f.tiff, disk.bytes());
  EXPECT_EQ(f.tiff.GetResults().size(), 1u);
  EXPECT_EQ(f.nef.GetResults().size(), 1u);
  f.tiff.enabled = false;
  EXPECT_TRUE(f.tiff.GetResults().empty());
  EXPECT_EQ(f.nef.GetResults().size(), 1u);
  f.nef.enabled = false;
  EXPECT_TRUE(f.nef.GetResults().empty());
  EXPECT_EQ(f.tiff.resultsOf(CTiffType::kNikon).size(), 1u);
  // The children are never fed: feeding them changes nothing.
  f.cr2.Feed(0, disk.bytes().data(), 512);
  f.cr2.Reset();
  EXPECT_EQ(f.tiff.resultsOf(CTiffType::kNikon).size(), 1u);
  EXPECT_TRUE(f.tiff.resultsOf(CTiffType::kUnused).empty());
}

TEST(TiffType, RegistryFeedsTheParentWhenOnlyAChildIsWanted) {
  auto tiff = std::make_unique<CTiffType>();
  CTiffType* parent = tiff.get();
  std::vector<std::unique_ptr<CTypeFilter>> list;
  list.push_back(std::make_unique<CCanonCR2Type>(parent));
  list.push_back(std::make_unique<CNikonRawType>(parent));
  list.push_back(std::move(tiff));
  FilterRegistry registry(std::move(list));
  parent->enabled = false;
  registry.ResetAll();
  EXPECT_TRUE(registry.isActive(2));
  SyntheticDisk disk(512);
  disk.place(makerTiff("NIKON", 9000).bytes());
  disk.place(makerTiff("", 9000).bytes());
  test::feedUnits(registry, disk.bytes());
  EXPECT_EQ(registry.item(1)->GetResults().size(), 1u);
  EXPECT_TRUE(registry.item(0)->GetResults().empty());
  EXPECT_TRUE(registry.item(2)->GetResults().empty());  // the TIFF type itself is not wanted
  EXPECT_EQ(parent->resultsOf(CTiffType::kPlainTiff).size(), 1u);
  registry.ResetAll();
  EXPECT_TRUE(registry.item(1)->GetResults().empty());
}

TEST(TiffType, ShortValuesAreReadAsSixteenBits) {
  // Strip byte counts as an array of 16-bit values (as ImageMagick writes them), and a single
  // 16-bit strip offset in a big-endian file.
  TiffFile le(12000);
  le.ifd(8, {{kStripOffsets, 3, 100}, {kStripByteCounts, 3, 120}}, 0).longs(100, {300, 3000, 6000});
  std::uint8_t* p = const_cast<std::uint8_t*>(le.bytes().data());
  putLe16(p + 8 + 2 + 12 + 2, 3);  // type SHORT
  putLe16(p + 120, 2700);
  putLe16(p + 122, 3000);
  putLe16(p + 124, 3500);
  TiffFile be(12000, false);
  be.ifd(8, {{kStripOffsets, 1, 0}, {kStripByteCounts, 1, 9000}}, 0);
  std::uint8_t* q = const_cast<std::uint8_t*>(be.bytes().data());
  test::putBe16(q + 8 + 2 + 2, 3);       // type SHORT
  test::putBe16(q + 8 + 2 + 8, 400);     // the value in the field's first half
  for (const auto& [file, end] : {std::pair{le, 9500u}, std::pair{be, 9400u}}) {
    SyntheticDisk disk(512);
    disk.place(file.bytes());
    CTiffType tiff;
    test::feedUnits(tiff, disk.bytes());
    ASSERT_EQ(tiff.GetResults().size(), 1u) << end;
    test::expectFile(&tiff.GetResults()[0], 0, end, kChanceMayBeGood);
  }
}

TEST(TiffType, FileShorterThanTheMinimumSizeIsNotListed) {
  for (std::uint32_t length : {8191u, 8192u}) {
    SyntheticDisk disk(512);
    disk.place(makerTiff("", length).bytes());
    disk.noise(1);
    CTiffType tiff;
    test::feedUnits(tiff, disk.bytes());
    EXPECT_EQ(tiff.GetResults().size(), length == 8192 ? 1u : 0u) << length;
  }
}

TEST(TiffType, MinimumSizeIsReadFromTheSettingsAtEachUse) {
  SyntheticDisk disk(512);
  disk.place(makerTiff("", 8191).bytes());
  disk.noise(1);
  CTiffType tiff;
  {
    MinTiffSize small(4096);
    test::feedUnits(tiff, disk.bytes());
    ASSERT_EQ(tiff.GetResults().size(), 1u);
    EXPECT_EQ(tiff.GetResults()[0].length, 8191u);
  }
  MinTiffSize large(9000);
  tiff.Reset();
  test::feedUnits(tiff, disk.bytes());
  EXPECT_TRUE(tiff.GetResults().empty());
}

TEST(TiffType, DirectoryOfMoreThan255EntriesDropsTheFile) {
  TiffFile t(20000);
  t.ifd(8, {{kStripOffsets, 1, 4000}, {kStripByteCounts, 1, 9000}}, 0);
  putLe16(const_cast<std::uint8_t*>(t.bytes().data()) + 8, 256);
  SyntheticDisk disk(4096);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes(), test::opts(4096));
  EXPECT_TRUE(tiff.GetResults().empty());
}

TEST(TiffType, BackwardLinkReportsTheLimitWithChanceTwo) {
  TiffFile t(20000);
  t.ifd(8, {{kStripOffsets, 1, 4000}, {kStripByteCounts, 1, 9000}}, 300);
  t.ifd(300, {{kImageWidth, 1, 1}}, 100);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 26'214'400, kChancePoor);
}

TEST(TiffType, StripArraysInTheNextUnitGiveTheLastStrip) {
  TiffFile t(12000);
  t.firstIfd(400).ifd(400, {{kStripOffsets, 3, 700}, {kStripByteCounts, 3, 712}}, 0);
  t.longs(700, {1000, 3000, 5000}).longs(712, {2000, 2000, 4000});
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 9000, kChanceMayBeGood);
}

TEST(TiffType, ThumbnailBeyondTheStripsEndsTheFile) {
  TiffFile t(14000);
  t.ifd(8, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 5000}, {kJpegOffset, 1, 12000}, {kJpegLength, 1, 500}}, 0);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 12500, kChanceMayBeGood);
}

TEST(TiffType, SubIfdsReplaceTheChainSingleOrArray) {
  // One SubIFD: its offset is the entry's value. Several: the last of the array.
  TiffFile one(14000);
  one.ifd(8, {{kSubIfds, 1, 6000}}, 0).ifd(6000, {{kStripOffsets, 1, 7000}, {kStripByteCounts, 1, 3000}}, 0);
  TiffFile many(14000);
  many.ifd(8, {{kSubIfds, 2, 200}}, 0).longs(200, {5000, 6000});
  many.ifd(6000, {{kStripOffsets, 1, 7000}, {kStripByteCounts, 1, 4000}}, 0);
  for (const auto& [file, end] : {std::pair{one, 10000u}, std::pair{many, 11000u}}) {
    SyntheticDisk disk(512);
    disk.place(file.bytes());
    CTiffType tiff;
    test::feedUnits(tiff, disk.bytes());
    ASSERT_EQ(tiff.GetResults().size(), 1u) << end;
    test::expectFile(&tiff.GetResults()[0], 0, end, kChanceMayBeGood);
  }
}

TEST(TiffType, SubIfdPointingAtItsOwnDirectoryEndsTheWalk) {
  TiffFile t(12000);
  t.ifd(8, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 8700}, {kSubIfds, 1, 8}}, 0);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 9000, kChanceMayBeGood);
}

TEST(TiffType, DirectoryAtTheFirstByteOfAUnitIsWalked) {
  TiffFile t(12000);
  t.ifd(8, {{kImageWidth, 1, 1}}, 1024);
  t.ifd(1024, {{kStripOffsets, 1, 2000}, {kStripByteCounts, 1, 8000}}, 0);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 10000, kChanceMayBeGood);
}

TEST(TiffType, UnitInUseLowersTheChance) {
  SyntheticDisk disk(512);
  disk.place(makerTiff("", 9000).bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes(), test::opts(512, {5}));
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 9000, kChancePoor);
}

TEST(TiffType, NewStartReportsALongEnoughOpenFileAndDropsAShortOne) {
  for (std::uint32_t unitsBefore : {20u, 10u}) {
    auto open = makerTiff("", 30000).bytes();
    open.resize(unitsBefore * 512);
    SyntheticDisk disk(512);
    disk.place(open);
    const std::uint64_t second = disk.place(makerTiff("", 9000).bytes());
    CTiffType tiff;
    test::feedUnits(tiff, disk.bytes());
    if (unitsBefore * 512 >= 8192) {
      ASSERT_EQ(tiff.GetResults().size(), 2u);
      test::expectFile(&tiff.GetResults()[0], 0, unitsBefore * 512, kChancePoor);
    } else {
      ASSERT_EQ(tiff.GetResults().size(), 1u);
    }
    test::expectFile(&tiff.GetResults().back(), second, 9000, kChanceMayBeGood);
  }
}

TEST(TiffType, FirstDirectoryBeyondTheLimitIsNoStart) {
  TiffFile t(2048);
  t.firstIfd(0x1900001);
  SyntheticDisk disk(512);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes());
  EXPECT_TRUE(tiff.GetResults().empty());
}

TEST(TiffType, StripBeyondTheLimitGivesTheLimitAndChanceTwo) {
  TiffFile t(26 * 1024 * 1024 + 8192);
  t.ifd(8, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 26 * 1024 * 1024}}, 0);
  SyntheticDisk disk(4096);
  disk.place(t.bytes());
  CTiffType tiff;
  test::feedUnits(tiff, disk.bytes(), test::opts(4096));
  ASSERT_EQ(tiff.GetResults().size(), 1u);
  test::expectFile(&tiff.GetResults()[0], 0, 26'214'400, kChancePoor);
}

// With exact lengths, a directory reached only through the EXIF directory still counts, and
// pixels that begin a unit with "II" do not start a file inside one whose directory is still to
// come; a structure that loops, is cut short by the next file or lies in a unit in use is
// reported just as the classic rules report it.
TEST(TiffType, ExactLengthsWalkEveryDirectoryOrLeaveTheFileToTheRules) {
  TiffFile exif(12000);
  exif.ifd(8, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 8700}, {kExifIfd, 1, 9200}}, 0);
  exif.ifd(9200, {{kMakerNote, 125, 9300}}, 0);
  TiffFile loop(20000);
  loop.ifd(8, {{kStripOffsets, 1, 4000}, {kStripByteCounts, 1, 9000}}, 13500);
  loop.ifd(13500, {{kImageWidth, 1, 1}}, 8);
  // The directory after the strips, at 29,000 and at 9,500.
  TiffFile directoryLast(30000), directoryInUse(12000);
  directoryLast.firstIfd(29000).ifd(29000, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 28000}}, 0);
  directoryInUse.firstIfd(9500).ifd(9500, {{kStripOffsets, 1, 300}, {kStripByteCounts, 1, 8700}}, 0);
  auto cut = directoryLast.bytes();
  cut.resize(40 * 512);
  auto pixels = directoryLast.bytes();
  std::memcpy(pixels.data() + 20 * 512, "IIIIMMMM", 8);
  struct Case {
    const char* name;
    std::vector<std::uint8_t> file;
    std::uint64_t unitInUse;    // counted from the file's start; 0: none
    std::uint64_t exactLength;  // 0: as the rules report it
    std::uint64_t classicLength;
  };
  const Case cases[] = {
      {"EXIF directory beyond the strips", exif.bytes(), 0, 9800, 9000},
      {"pixels that begin with II", pixels, 0, 29030, 20 * 512},
      {"link back to the first directory", loop.bytes(), 0, 0, 0},
      {"cut short by the next file", cut, 0, 0, 0},
      {"directory in a unit in use", directoryInUse.bytes(), 9500 / 512, 0, 0},
  };
  for (const Case& c : cases) {
    SyntheticDisk disk(512);
    disk.noise(1);
    const std::uint64_t start = disk.place(c.file);
    disk.place(makerTiff("", 9000).bytes());
    std::set<std::uint64_t> inUse;
    if (c.unitInUse != 0) inUse.insert(start + c.unitInUse);
    CTiffType classic;
    test::feedUnits(classic, disk.bytes(), test::opts(512, inUse));
    test::ScopedExactLengths on;
    CTiffType exact;
    test::feedUnits(exact, disk.bytes(), test::opts(512, inUse));
    ASSERT_EQ(exact.GetResults().size(), 2u) << c.name;
    const FoundFile& f = exact.GetResults()[0];
    if (c.exactLength != 0) {
      test::expectFile(&f, start, c.exactLength, kChanceMayBeGood);
      EXPECT_EQ(classic.GetResults()[0].length, c.classicLength) << c.name;
    } else {
      ASSERT_EQ(classic.GetResults().size(), 2u) << c.name;
      test::expectFile(&f, classic.GetResults()[0].startUnit, classic.GetResults()[0].length, classic.GetResults()[0].chance);
    }
  }
}

}  // namespace
}  // namespace tarvosk
