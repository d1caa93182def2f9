// The contract every document recogniser keeps, written once and instantiated for each of them
// (parents, their children and the plain ones): whatever the bytes, Feed never reads past the
// unit's look-ahead, never reports a length beyond the limit, reports files only at units it was
// fed in ascending order, and Reset empties the results.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "support/ScopedExactLengths.h"
#include "support/UnitFeeder.h"
#include "types/CompoundDoc.h"
#include "types/DocTestSupport.h"
#include "types/ExcelFilter.h"
#include "types/HTMLFilter.h"
#include "types/MSWordFilter.h"
#include "types/PDFFilter.h"
#include "types/PPTFilter.h"
#include "types/PublisherFilter.h"
#include "types/RTFFilter.h"
#include "types/TextDoc.h"
#include "types/XMLFilter.h"
#include "types/ZipFilter.h"

namespace tarvosk {
namespace {

using test::Bytes;
using Lists = std::vector<const std::vector<FoundFile>*>;

template <class Parent>
Lists allListsOf(const Parent& parent) {
  Lists lists;
  for (std::size_t k = 0; k < Parent::kListCount; ++k) lists.push_back(&parent.resultsOf(k));
  return lists;
}

template <class Parent>
struct ParentAlone {
  Parent parent;
  CTypeFilter& fed() { return parent; }
  CTypeFilter& shown() { return parent; }
  Lists lists() const { return allListsOf(parent); }
};

template <class Parent, class Child>
struct WithChild {
  Parent parent;
  Child child{&parent};
  CTypeFilter& fed() { return parent; }
  CTypeFilter& shown() { return child; }
  Lists lists() const { return allListsOf(parent); }
};

template <class Plain>
struct Alone {
  Plain filter;
  CTypeFilter& fed() { return filter; }
  CTypeFilter& shown() { return filter; }
  Lists lists() { return {&filter.GetResults()}; }
};

Bytes textSample(std::string_view start) {
  Bytes b(1500);
  for (std::size_t i = 0; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i % 70 == 69 ? '\n' : 'a' + i % 26);
  std::copy(start.begin(), start.end(), b.begin());
  b.push_back(0);
  return b;
}

Bytes pdfSample(std::uint32_t unitSize) {
  Bytes b(std::max<std::size_t>(unitSize * 2, 128) + 64, ' ');  // tiny units: still room for both markers
  const std::string start = "%PDF-1.4\n", marker = "%%EOF\n";
  std::copy(start.begin(), start.end(), b.begin());
  std::copy(marker.begin(), marker.end(), b.begin() + 20);
  std::copy(marker.begin(), marker.end(), b.end() - 6);
  return b;
}

Bytes zipSample(std::uint32_t unitSize) {
  Bytes b(unitSize + 200, 0x5A);
  b[0] = 0x50, b[1] = 0x4B, b[2] = 0x03, b[3] = 0x04;
  std::uint8_t* end = &b[unitSize + 100];
  end[0] = 0x50, end[1] = 0x4B, end[2] = 0x05, end[3] = 0x06;
  putLe16(end + 20, 78);
  return b;
}

struct CompoundCase {
  using Family = ParentAlone<CCompoundDoc>;
  static Bytes sample(std::uint32_t) { return test::makeCompoundFile(8, {"no application named"}); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct WordCase {
  using Family = WithChild<CCompoundDoc, CMSWordFilter>;
  static Bytes sample(std::uint32_t) { return test::makeCompoundFile(8, {"MSWordDoc"}); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct ExcelCase {
  using Family = WithChild<CCompoundDoc, CExcelFilter>;
  static Bytes sample(std::uint32_t) { return test::makeCompoundFile(8, {"Excel.Sheet.8"}); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct PowerPointCase {
  using Family = WithChild<CCompoundDoc, CPPTFilter>;
  static Bytes sample(std::uint32_t) { return test::makeCompoundFile(8, {"MS PowerPoint 97"}); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct PublisherCase {
  using Family = WithChild<CCompoundDoc, CPublisherFilter>;
  static Bytes sample(std::uint32_t) { return test::makeCompoundFile(8, {"Microsoft Publisher"}); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct TextCase {
  using Family = ParentAlone<CTextDoc>;
  static Bytes sample(std::uint32_t) { return textSample("Plain words"); }
  static constexpr std::uint64_t kLimit = CTextDoc::kMaxRunLength;
};
struct RtfCase {
  using Family = WithChild<CTextDoc, CRTFFilter>;
  static Bytes sample(std::uint32_t) { return textSample("{\\rtf1\\ansi "); }
  static constexpr std::uint64_t kLimit = CTextDoc::kMaxRunLength;
};
struct HtmlCase {
  using Family = WithChild<CTextDoc, CHTMLFilter>;
  static Bytes sample(std::uint32_t) { return textSample("<html><body>"); }
  static constexpr std::uint64_t kLimit = CTextDoc::kMaxRunLength;
};
struct XmlCase {
  using Family = WithChild<CTextDoc, CXMLFilter>;
  static Bytes sample(std::uint32_t) { return textSample("<?xml version=\"1.0\"?>"); }
  static constexpr std::uint64_t kLimit = CTextDoc::kMaxRunLength;
};
struct PdfCase {
  using Family = Alone<CPDFFilter>;
  static Bytes sample(std::uint32_t unitSize) { return pdfSample(unitSize); }
  static constexpr std::uint64_t kLimit = kMaxCarvedFileLength;
};
struct ZipCase {
  using Family = Alone<CZipFilter>;
  static Bytes sample(std::uint32_t unitSize) { return zipSample(unitSize); }
  static constexpr std::uint64_t kLimit = kMaxZipFileLength;
};

template <class Case>
class DocumentRecogniserContract : public ::testing::Test {
 protected:
  using Family = typename Case::Family;

  // Every list: lengths within the limit, start units among those fed, ascending, chances known.
  static void expectSound(Family& family, std::uint64_t unitsFed) {
    for (const auto* list : family.lists()) {
      std::uint64_t previous = 0;
      bool first = true;
      for (const FoundFile& found : *list) {
        EXPECT_LE(found.length, Case::kLimit);
        EXPECT_LT(found.startUnit, unitsFed);
        EXPECT_TRUE(found.chance == kChancePoor || found.chance == kChanceMayBeGood) << int{found.chance};
        if (!first) {
          EXPECT_GT(found.startUnit, previous);
        }
        previous = found.startUnit;
        first = false;
      }
    }
  }
  static std::size_t totalResults(Family& family) {
    std::size_t n = 0;
    for (const auto* list : family.lists()) n += list->size();
    return n;
  }
  static std::uint64_t unitsOf(const Bytes& disk, std::uint32_t unitSize) {
    return (disk.size() + unitSize - 1) / unitSize;
  }
};

using Cases = ::testing::Types<CompoundCase, WordCase, ExcelCase, PowerPointCase, PublisherCase, TextCase, RtfCase,
                               HtmlCase, XmlCase, PdfCase, ZipCase>;
TYPED_TEST_SUITE(DocumentRecogniserContract, Cases);

TYPED_TEST(DocumentRecogniserContract, SampleIsFoundAtItsStartUnit) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    test::SyntheticDisk disk(unitSize, 77);
    disk.random(2);
    const Bytes sample = TypeParam::sample(unitSize);
    const std::uint64_t start = disk.place(sample);
    disk.random(2);
    typename TypeParam::Family family;
    test::GuardedUnit(unitSize).feed(family.fed(), disk.span());
    const auto& shown = family.shown().GetResults();
    ASSERT_EQ(shown.size(), 1u) << unitSize;
    EXPECT_EQ(shown[0].startUnit, start);
    EXPECT_EQ(shown[0].chance, kChanceMayBeGood);
    EXPECT_GT(shown[0].length, 0u);
    this->expectSound(family, disk.units());
  }
}

TYPED_TEST(DocumentRecogniserContract, RandomDataWithSamplesAndGapsStaysSound) {
  for (std::uint32_t unitSize : {1u, 64u, 512u, 4096u}) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
      std::mt19937 rng(seed * 1000 + unitSize);
      test::SyntheticDisk disk(unitSize, seed);
      for (int piece = 0; piece < 12; ++piece) {
        switch (rng() % 4) {
          case 0: disk.random(1 + rng() % 6); break;
          case 1: disk.place(TypeParam::sample(unitSize)); break;
          case 2: {
            Bytes cut = TypeParam::sample(unitSize);
            cut.resize(1 + rng() % cut.size());
            disk.place(cut);
            break;
          }
          default: disk.zeros(1 + rng() % 3); break;
        }
      }
      std::set<std::uint64_t> unavailable;
      for (std::uint64_t u = 0; u < disk.units(); ++u)
        if (rng() % 8 == 0) unavailable.insert(u);
      typename TypeParam::Family family;
      test::GuardedUnit(unitSize).feed(family.fed(), disk.span(), unavailable);
      this->expectSound(family, disk.units());
    }
  }
}

TYPED_TEST(DocumentRecogniserContract, ZerosAndOnesFindNothing) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    for (std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
      test::SyntheticDisk disk(unitSize);
      disk.fill(40, fill);
      typename TypeParam::Family family;
      test::GuardedUnit(unitSize).feed(family.fed(), disk.span());
      EXPECT_EQ(this->totalResults(family), 0u) << unitSize << " fill " << int{fill};
    }
  }
}

TYPED_TEST(DocumentRecogniserContract, TruncatedStartsStaySound) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    const Bytes sample = TypeParam::sample(unitSize);
    for (std::size_t cut : {std::size_t{1}, std::size_t{3}, std::size_t{4}, std::size_t{8}, std::size_t{16},
                            std::size_t{100}, std::size_t{511}, sample.size() / 2, sample.size() - 1}) {
      for (int after = 0; after < 4; ++after) {
        test::SyntheticDisk disk(unitSize, static_cast<std::uint32_t>(cut));
        Bytes head(sample.begin(), sample.begin() + static_cast<std::ptrdiff_t>(std::min(cut, sample.size())));
        disk.place(head);
        if (after == 1) disk.zeros(8);
        if (after == 2) disk.random(8);
        if (after == 3) disk.place(sample);
        typename TypeParam::Family family;
        test::GuardedUnit(unitSize).feed(family.fed(), disk.span());
        this->expectSound(family, disk.units());
      }
    }
  }
}

TYPED_TEST(DocumentRecogniserContract, UnavailableUnitsFindNothingAndLowerTheChance) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    typename TypeParam::Family family;
    for (std::uint64_t u = 0; u < 50; ++u) family.fed().Feed(u, nullptr, unitSize);
    EXPECT_EQ(this->totalResults(family), 0u);

    // The sample's first unit, then every second unit missing: what is found is rated poor.
    test::SyntheticDisk disk(unitSize, 9);
    disk.place(TypeParam::sample(unitSize));
    disk.random(4);
    std::set<std::uint64_t> unavailable;
    for (std::uint64_t u = 1; u < disk.units(); u += 2) unavailable.insert(u);
    typename TypeParam::Family gapped;
    test::GuardedUnit(unitSize).feed(gapped.fed(), disk.span(), unavailable);
    for (const auto* list : gapped.lists())
      for (const FoundFile& found : *list)
        if (found.startUnit == 0 && found.length > unitSize) {
          EXPECT_EQ(found.chance, kChancePoor);
        }
    this->expectSound(gapped, disk.units());
  }
}

TYPED_TEST(DocumentRecogniserContract, ResetEmptiesResultsAndDropsTheOpenFile) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    test::SyntheticDisk disk(unitSize, 5);
    disk.place(TypeParam::sample(unitSize));
    disk.random(2);
    typename TypeParam::Family family;
    test::GuardedUnit(unitSize).feed(family.fed(), disk.span());
    ASSERT_GE(this->totalResults(family), 1u);
    family.fed().Reset();
    EXPECT_EQ(this->totalResults(family), 0u);
    EXPECT_TRUE(family.shown().GetResults().empty());

    // A file opened before Reset is forgotten: its end, fed after Reset, reports nothing for it.
    test::GuardedUnit fence(unitSize);
    family.fed().Feed(0, fence.load(disk.span(), 0), unitSize);
    family.fed().Reset();
    for (std::uint64_t u = 1; u < disk.units(); ++u) family.fed().Feed(u, fence.load(disk.span(), u), unitSize);
    for (const auto* list : family.lists())
      for (const FoundFile& found : *list) EXPECT_NE(found.startUnit, 0u);
  }
}

// With exact lengths on, the same contract: the sample is found at its start, and random data with
// whole and cut samples and units in use is read within the fence, in ascending order, within
// the limit.
TYPED_TEST(DocumentRecogniserContract, ExactLengthsKeepTheContract) {
  test::ScopedExactLengths exact;
  for (std::uint32_t unitSize : {1u, 64u, 512u, 4096u}) {
    test::SyntheticDisk disk(unitSize, 3);
    disk.random(2);
    const std::uint64_t start = disk.place(TypeParam::sample(unitSize));
    disk.random(2);
    typename TypeParam::Family family;
    test::GuardedUnit(unitSize).feed(family.fed(), disk.span());
    if (unitSize >= 512) {
      ASSERT_EQ(family.shown().GetResults().size(), 1u) << unitSize;
      EXPECT_EQ(family.shown().GetResults()[0].startUnit, start);
    }
    this->expectSound(family, disk.units());

    std::mt19937 rng(unitSize);
    test::SyntheticDisk mixed(unitSize, 8);
    for (int piece = 0; piece < 12; ++piece) {
      Bytes sample = TypeParam::sample(unitSize);
      if (piece % 3 == 1) sample.resize(1 + rng() % sample.size());
      mixed.place(sample);
      mixed.random(1 + rng() % 3);
    }
    std::set<std::uint64_t> unavailable;
    for (std::uint64_t u = 0; u < mixed.units(); ++u)
      if (rng() % 8 == 0) unavailable.insert(u);
    typename TypeParam::Family fed;
    test::GuardedUnit(unitSize).feed(fed.fed(), mixed.span(), unavailable);
    this->expectSound(fed, mixed.units());
  }
}

}  // namespace
}  // namespace tarvosk
