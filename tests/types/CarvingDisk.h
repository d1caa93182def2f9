// A synthetic disk for the recogniser tests: files placed at unit boundaries with noise, zeros or
// other files around them, and helpers to read fixture files and check what was carved.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "support/TestSupport.h"
#include "support/UnitFeeder.h"
#include "types/TypeFilter.h"

namespace tarvosk::test {

class CarvingDisk {
 public:
  explicit CarvingDisk(std::uint32_t unitSize, std::uint32_t seed = 1) : unitSize_(unitSize), random_(seed) {}

  std::uint32_t unitSize() const { return unitSize_; }
  std::uint64_t units() const { return bytes_.size() / unitSize_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::vector<std::uint8_t>& raw() { return bytes_; }

  // Random units. Their first byte is 0, so that no start signature of any recogniser begins
  // in them by chance.
  CarvingDisk& noise(std::size_t units) {
    for (std::size_t u = 0; u < units; ++u) {
      const std::size_t at = bytes_.size();
      for (std::uint32_t i = 0; i < unitSize_; ++i) bytes_.push_back(static_cast<std::uint8_t>(random_()));
      bytes_[at] = 0;
    }
    return *this;
  }
  CarvingDisk& zeros(std::size_t units) {
    bytes_.resize(bytes_.size() + units * unitSize_, 0);
    return *this;
  }
  // Appends the file at the next unit boundary, pads its last unit with zeros and returns the
  // number of its first unit.
  std::uint64_t place(const std::vector<std::uint8_t>& file) {
    const std::uint64_t start = units();
    bytes_.insert(bytes_.end(), file.begin(), file.end());
    bytes_.resize(units() * unitSize_ + (bytes_.size() % unitSize_ ? unitSize_ : 0), 0);
    return start;
  }
  // The bytes a carved file of that start and length holds.
  std::vector<std::uint8_t> carve(const FoundFile& f) const {
    const std::uint64_t from = f.startUnit * unitSize_;
    const std::uint64_t to = std::min<std::uint64_t>(from + f.length, bytes_.size());
    if (from >= to) return {};
    return std::vector<std::uint8_t>(bytes_.begin() + static_cast<std::ptrdiff_t>(from),
                                     bytes_.begin() + static_cast<std::ptrdiff_t>(to));
  }

 private:
  std::uint32_t unitSize_;
  std::mt19937 random_;
  std::vector<std::uint8_t> bytes_;
};

inline std::vector<std::uint8_t> mediaFixture(const std::string& name) { return readWholeFile(fixturePath("media/" + name)); }

// The found file that starts at unit, or null.
inline const FoundFile* foundAt(const std::vector<FoundFile>& found, std::uint64_t unit) {
  for (const FoundFile& f : found)
    if (f.startUnit == unit) return &f;
  return nullptr;
}

inline std::vector<std::uint8_t> randomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> out(n);
  for (auto& b : out) b = static_cast<std::uint8_t>(random());
  return out;
}

inline void putBe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v >> 8);
  p[1] = static_cast<std::uint8_t>(v);
}
inline void putBe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * (3 - i)));
}

}  // namespace tarvosk::test

namespace tarvosk::test {

// Feed options for a unit size and the units fed without data.
inline FeedOptions opts(std::uint32_t unitSize, std::set<std::uint64_t> unavailable = {}) {
  FeedOptions o;
  o.unitSize = unitSize;
  o.unavailable = std::move(unavailable);
  return o;
}

// Checks one found file field by field.
inline void expectFile(const FoundFile* f, std::uint64_t unit, std::uint64_t length, std::uint8_t chance) {
  ASSERT_NE(f, nullptr) << "nothing found at unit " << unit;
  EXPECT_EQ(f->startUnit, unit);
  EXPECT_EQ(f->length, length) << "start unit " << unit;
  EXPECT_EQ(static_cast<int>(f->chance), static_cast<int>(chance)) << "start unit " << unit;
}

}  // namespace tarvosk::test
