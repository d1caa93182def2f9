// Helpers of the picture, camera-raw and media recognisers' tests: fixture files, what was found
// where, and the synthetic disk they are placed on.
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
#include "types/SyntheticDisk.h"
#include "types/TypeFilter.h"

namespace tarvosk::test {

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
