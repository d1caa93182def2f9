// The contract every picture, camera-raw and media recogniser keeps, written once and run for
// each: any content is fed without failing, reads stay inside the unit and its one unit of
// look-ahead (guard pages on both sides), lengths stay within the type's limit, and Reset
// forgets both the results and an open file.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "support/ScopedExactLengths.h"
#include "types/AviType.h"
#include "types/BmpType.h"
#include "types/CanonRawType.h"
#include "types/CarvingDisk.h"
#include "types/GuardedUnit.h"
#include "types/JpegType.h"
#include "types/LookAhead.h"
#include "types/MP3ype.h"
#include "types/SigmaRawType.h"
#include "types/TiffType.h"

namespace tarvosk {
namespace {

constexpr std::uint64_t kLimit = kMaxCarvedFileLength;

std::vector<std::uint8_t> withHead(std::vector<std::uint8_t> head, std::size_t total, std::uint8_t fill) {
  head.resize(std::max(total, head.size()), fill);
  return head;
}

// Per recogniser: how to make it, its start signature, a small complete file it finds, and the
// longest length it may report for a file with the given number of bytes from its start to the
// disk's end.
template <class T>
struct Traits;

template <>
struct Traits<CBmpType> {
  static std::vector<std::uint8_t> signature() { return {'B', 'M'}; }
  static std::vector<std::uint8_t> sample() { return withHead({'B', 'M', 0xE8, 0x03, 0, 0, 0, 0, 0, 0}, 1000, 0x10); }
  static std::uint64_t maxLength(std::uint64_t) { return kLimit - 1; }
};
template <>
struct Traits<CAviType> {
  static std::vector<std::uint8_t> signature() { return {'R', 'I', 'F', 'F', 0xFF, 0xFF, 0xFF, 0xFF, 'A', 'V', 'I'}; }
  static std::vector<std::uint8_t> sample() { return withHead({'R', 'I', 'F', 'F', 0xE0, 0x03, 0, 0, 'A', 'V', 'I', ' '}, 1000, 0); }
  static std::uint64_t maxLength(std::uint64_t) { return 0xFFFFFFFFull + 8; }
};
template <>
struct Traits<CJpegType> {
  static std::vector<std::uint8_t> signature() { return {0xFF, 0xD8}; }
  static std::vector<std::uint8_t> sample() {
    auto b = withHead({0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10}, 1500, 0x55);
    const std::uint8_t sos[] = {0xFF, 0xDA, 0x00, 0x08};
    std::memcpy(b.data() + 20, sos, 4);
    b[1498] = 0xFF;
    b[1499] = 0xD9;
    return b;
  }
  static std::uint64_t maxLength(std::uint64_t) { return kLimit; }
};
template <>
struct Traits<CCanonRawType> {
  static std::vector<std::uint8_t> signature() { return {'I', 'I', 26, 0, 0, 0, 'H', 'E', 'A', 'P', 'C', 'C', 'D', 'R'}; }
  static std::vector<std::uint8_t> sample() {
    // Long enough that its trailer comes after the first kilobyte counted with 4096-byte units.
    constexpr std::uint32_t kTotal = 9000;
    auto b = withHead(signature(), kTotal, 0x11);
    putLe16(b.data() + kTotal - 4 - 2 - 30, 3);              // root table of three entries
    putLe32(b.data() + kTotal - 4, kTotal - 4 - 2 - 30 - 26);  // trailer: the table's offset
    return b;
  }
  static std::uint64_t maxLength(std::uint64_t) { return kLimit; }
};
template <>
struct Traits<CSigmaRawType> {
  static std::vector<std::uint8_t> signature() { return {'F', 'O', 'V', 'b'}; }
  static std::vector<std::uint8_t> sample() {
    auto b = withHead(signature(), 1208, 0x22);
    std::memcpy(b.data() + 1200, "PROP", 4);
    return b;
  }
  static std::uint64_t maxLength(std::uint64_t) { return kLimit; }
};
template <>
struct Traits<CTiffType> {
  static std::vector<std::uint8_t> signature() { return {'I', 'I', 42, 0}; }
  static std::vector<std::uint8_t> sample() {
    auto b = withHead({'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0}, 9300, 0x44);
    const std::uint8_t entries[] = {0x11, 0x01, 4, 0, 1, 0, 0, 0, 0x2C, 0x01, 0, 0,    // strip at 300
                                    0x17, 0x01, 4, 0, 1, 0, 0, 0, 0x28, 0x23, 0, 0,    // 9000 bytes
                                    0, 0, 0, 0};                                        // no next IFD
    std::memcpy(b.data() + 10, entries, sizeof entries);
    return b;
  }
  static std::uint64_t maxLength(std::uint64_t) { return kLimit; }
};
template <>
struct Traits<CMP3ype> {
  static std::vector<std::uint8_t> signature() { return {0xFF, 0xFB, 0x90, 0x00}; }
  static std::vector<std::uint8_t> sample() {
    std::vector<std::uint8_t> b;
    for (int f = 0; f < 520; ++f) {
      const std::size_t at = b.size();
      b.resize(at + 417, 0x33);
      std::memcpy(b.data() + at, signature().data(), 4);
    }
    return b;
  }
  static std::uint64_t maxLength(std::uint64_t fromStart) { return fromStart + 128; }
};

// Every result list of a recogniser (the TIFF recogniser keeps one per maker).
template <class T>
std::vector<FoundFile> allResults(T& r) {
  return r.GetResults();
}
template <>
std::vector<FoundFile> allResults(CTiffType& r) {
  std::vector<FoundFile> all;
  for (std::size_t k = 0; k < CTiffType::kListCount; ++k) all.insert(all.end(), r.resultsOf(k).begin(), r.resultsOf(k).end());
  return all;
}

bool sameFiles(const std::vector<FoundFile>& a, const std::vector<FoundFile>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (a[i].startUnit != b[i].startUnit || a[i].length != b[i].length || a[i].chance != b[i].chance) return false;
  return true;
}

template <class T>
class MediaRecogniserContract : public ::testing::Test {
 protected:
  // Checks every result: a unit of the disk, a length within the type's limit.
  void expectWithinLimits(T& r, const std::vector<std::uint8_t>& disk, std::uint32_t unitSize) {
    const std::uint64_t units = (disk.size() + unitSize - 1) / unitSize;
    for (const FoundFile& f : allResults(r)) {
      EXPECT_LT(f.startUnit, units);
      EXPECT_LE(f.length, Traits<T>::maxLength(units * unitSize - f.startUnit * unitSize)) << "start " << f.startUnit;
      EXPECT_TRUE(f.chance == kChanceNotRated || f.chance == kChancePoor || f.chance == kChanceMayBeGood);
    }
  }
  // The sample between noise and zeros is found at its unit with its length.
  void expectSampleFound(std::uint32_t unitSize) {
    const auto sample = Traits<T>::sample();
    test::SyntheticDisk disk(unitSize, 17);
    disk.noise(2);
    const std::uint64_t start = disk.place(sample);
    disk.zeros(2);
    T r;
    test::GuardedUnit(unitSize).feed(r, disk.bytes());
    const auto found = allResults(r);
    ASSERT_EQ(found.size(), 1u) << unitSize;
    EXPECT_EQ(found[0].startUnit, start);
    EXPECT_EQ(found[0].length, sample.size());
  }
  static std::set<std::uint64_t> everySeventh(std::uint64_t units) {
    std::set<std::uint64_t> s;
    for (std::uint64_t u = 3; u < units; u += 7) s.insert(u);
    return s;
  }
};

using MediaRecognisers =
    ::testing::Types<CBmpType, CJpegType, CCanonRawType, CSigmaRawType, CTiffType, CMP3ype, CAviType>;
TYPED_TEST_SUITE(MediaRecogniserContract, MediaRecognisers);

TYPED_TEST(MediaRecogniserContract, FindsItsSampleAtItsStartUnit) {
  for (std::uint32_t unitSize : {512u, 4096u}) this->expectSampleFound(unitSize);
}

TYPED_TEST(MediaRecogniserContract, RandomDataWithUnitsInUseIsFedSafely) {
  for (std::uint32_t unitSize : {512u, 4096u}) {
    const auto disk = test::randomBytes(2u << 20, 99 + unitSize);
    TypeParam r;
    test::GuardedUnit feeder(unitSize);
    feeder.feed(r, disk);
    this->expectWithinLimits(r, disk, unitSize);
    r.Reset();
    feeder.feed(r, disk, this->everySeventh(disk.size() / unitSize));
    this->expectWithinLimits(r, disk, unitSize);
  }
}

TYPED_TEST(MediaRecogniserContract, ZerosAndOnesAreNoFiles) {
  for (std::uint8_t fill : {std::uint8_t{0x00}, std::uint8_t{0xFF}}) {
    const std::vector<std::uint8_t> disk(256 * 1024, fill);
    TypeParam r;
    test::GuardedUnit(512).feed(r, disk);
    EXPECT_TRUE(allResults(r).empty()) << "fill " << int(fill);
  }
}

TYPED_TEST(MediaRecogniserContract, TruncatedStartsInEveryUnitAreFedSafely) {
  const auto signature = Traits<TypeParam>::signature();
  const auto sample = Traits<TypeParam>::sample();
  for (std::uint32_t unitSize : {512u, 4096u}) {
    for (int variant = 0; variant < 3; ++variant) {
      // The signature alone, the sample's first unit, or the signature before random bytes.
      auto disk = test::randomBytes(600 * unitSize, 5u + static_cast<std::uint32_t>(variant));
      for (std::size_t u = 0; u < 600; ++u) {
        std::uint8_t* p = disk.data() + u * unitSize;
        if (variant == 0) std::memset(p, 0, unitSize);
        if (variant == 1) std::memcpy(p, sample.data(), std::min<std::size_t>(unitSize, sample.size()));
        std::memcpy(p, signature.data(), signature.size());
      }
      TypeParam r;
      test::GuardedUnit feeder(unitSize);
      feeder.feed(r, disk);
      this->expectWithinLimits(r, disk, unitSize);
      r.Reset();
      feeder.feed(r, disk, this->everySeventh(600));
      this->expectWithinLimits(r, disk, unitSize);
    }
  }
}

TYPED_TEST(MediaRecogniserContract, UnitsWithoutDataAloneFindNothing) {
  const std::vector<std::uint8_t> disk(64 * 512, 0);
  std::set<std::uint64_t> all;
  for (std::uint64_t u = 0; u < 64; ++u) all.insert(u);
  TypeParam r;
  test::GuardedUnit(512).feed(r, disk, all);
  EXPECT_TRUE(allResults(r).empty());
}

TYPED_TEST(MediaRecogniserContract, ResetForgetsResultsAndTheOpenFileAcrossUnitSizes) {
  const auto sample = Traits<TypeParam>::sample();
  test::SyntheticDisk small(512, 31);
  small.place(sample);
  small.noise(1);
  TypeParam r;
  test::GuardedUnit(512).feed(r, small.bytes());
  ASSERT_FALSE(allResults(r).empty());
  r.Reset();
  EXPECT_TRUE(allResults(r).empty());

  // A file left open (its first unit only), a reset, then a scan with another unit size: the
  // results equal those of a fresh recogniser.
  std::vector<std::uint8_t> first(sample.begin(), sample.begin() + std::min<std::size_t>(512, sample.size()));
  test::GuardedUnit(512).feed(r, first);
  r.Reset();
  test::SyntheticDisk large(4096, 32);
  large.noise(1);
  large.place(sample);
  large.zeros(1);
  test::GuardedUnit feeder(4096);
  feeder.feed(r, large.bytes());
  TypeParam fresh;
  feeder.feed(fresh, large.bytes());
  EXPECT_TRUE(sameFiles(allResults(r), allResults(fresh)));
  EXPECT_FALSE(allResults(fresh).empty());
}

// With exact lengths on, the same contract: the sample found whole, and random units, with starts
// and the sample's first unit planted in them and some units in use, read within the look-ahead.
TYPED_TEST(MediaRecogniserContract, ExactLengthsKeepTheContract) {
  test::ScopedExactLengths exact;
  const auto sample = Traits<TypeParam>::sample();
  const auto signature = Traits<TypeParam>::signature();
  for (std::uint32_t unitSize : {512u, 4096u}) {
    this->expectSampleFound(unitSize);
    auto noise = test::randomBytes(600 * unitSize, 7 + unitSize);
    for (std::size_t u = 0; u < 600; u += 5) {
      std::uint8_t* p = noise.data() + u * unitSize;
      if (u % 10 == 0) std::memcpy(p, sample.data(), std::min<std::size_t>(unitSize, sample.size()));
      std::memcpy(p, signature.data(), signature.size());
    }
    TypeParam fed;
    test::GuardedUnit(unitSize).feed(fed, noise, this->everySeventh(600));
    this->expectWithinLimits(fed, noise, unitSize);
  }
}

// A recogniser that reads one byte past its look-ahead, to show that the guard pages catch it.
struct OverReader {
  void Feed(std::uint64_t, const std::uint8_t* data, std::uint32_t unitSize) {
    if (data != nullptr) sink = sink + static_cast<volatile const std::uint8_t*>(data)[unitSize * (1 + kLookAheadUnits)];
  }
  volatile int sink = 0;
};

TEST(MediaRecogniserGuardDeathTest, ReadPastTheLookAheadIsCaught) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  const std::vector<std::uint8_t> disk(4096, 0);
  EXPECT_DEATH(
      {
        OverReader r;
        test::GuardedUnit(512).feed(r, disk);
      },
      "");
}

}  // namespace
}  // namespace tarvosk
