// Boyer-Moore substring search over bytes (bad-character and good-suffix tables), exact or
// without regard to ASCII letter case. Used for end markers and for the content search. When
// the pattern holds a byte that has one spelling only (any byte when case counts, a byte that
// is not a letter otherwise), candidates are found by looking for that byte with memchr, which
// passes over a unit many times faster than the shifts do; the first match is the same.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ByteOrder.h"

namespace tarvosk {

class BoyerMoore {
 public:
  static constexpr std::size_t npos = static_cast<std::size_t>(-1);

  BoyerMoore(ByteSpan pattern, bool caseSensitive);
  // The offset of the first occurrence of the pattern in text, or npos. An empty pattern is
  // found at offset 0.
  std::size_t find(ByteSpan text) const;
  std::size_t patternLength() const { return pattern_.size(); }

 private:
  bool matchesAt(const std::uint8_t* text) const;

  std::vector<std::uint8_t> pattern_;  // folded when case does not count
  // The pattern position whose byte memchr looks for, or npos to shift through the text.
  std::size_t anchor_ = npos;
  // Each byte as it is compared: ASCII capitals in lower case when case does not count, every
  // byte itself otherwise, so that the search loop never asks which.
  std::array<std::uint8_t, 256> fold_{};
  std::array<std::size_t, 256> badCharacter_{};
  std::vector<std::size_t> goodSuffix_;
};

}  // namespace tarvosk
