#include "types/BoyerMoore.h"

#include <algorithm>
#include <cstring>

namespace tarvosk {

BoyerMoore::BoyerMoore(ByteSpan pattern, bool caseSensitive) {
  for (int b = 0; b < 256; ++b)
    fold_[static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>((!caseSensitive && b >= 'A' && b <= 'Z') ? b + 32 : b);
  pattern_.reserve(pattern.size());
  for (std::uint8_t b : pattern) pattern_.push_back(fold_[b]);
  for (std::size_t i = 0; i < pattern_.size() && anchor_ == npos; ++i) {
    const std::uint8_t b = pattern_[i];
    const bool oneSpelling = caseSensitive || !((b >= 'a' && b <= 'z'));
    // Zeros, blanks and 0xFF fill too much of a disk to be worth looking for.
    if (oneSpelling && b != 0x00 && b != ' ' && b != 0xFF) anchor_ = i;
  }
  const std::size_t m = pattern_.size();

  // Bad character: how far the pattern may move when the byte under its last position differs.
  badCharacter_.fill(m);
  for (std::size_t i = 0; i + 1 < m; ++i) badCharacter_[pattern_[i]] = m - 1 - i;

  // Good suffix: how far it may move when the mismatch comes after j matched bytes at the end.
  goodSuffix_.assign(m + 1, 0);
  if (m == 0) return;
  std::vector<std::size_t> border(m + 1, 0);
  std::size_t i = m, j = m + 1;
  border[i] = j;
  while (i > 0) {
    while (j <= m && pattern_[i - 1] != pattern_[j - 1]) {
      if (goodSuffix_[j] == 0) goodSuffix_[j] = j - i;
      j = border[j];
    }
    --i;
    --j;
    border[i] = j;
  }
  j = border[0];
  for (i = 0; i <= m; ++i) {
    if (goodSuffix_[i] == 0) goodSuffix_[i] = j;
    if (i == j) j = border[j];
  }
  for (std::size_t& shift : goodSuffix_)
    if (shift == 0) shift = 1;
}

bool BoyerMoore::matchesAt(const std::uint8_t* text) const {
  for (std::size_t i = 0; i < pattern_.size(); ++i)
    if (pattern_[i] != fold_[text[i]]) return false;
  return true;
}

std::size_t BoyerMoore::find(ByteSpan text) const {
  const std::size_t m = pattern_.size(), n = text.size();
  if (m == 0) return 0;
  if (n < m) return npos;
  const std::uint8_t* t = text.data();
  if (anchor_ != npos) {
    // Candidates in ascending order: every place where the anchor byte lies where it would.
    const std::size_t lastAnchor = n - m + anchor_;
    for (std::size_t from = anchor_; from <= lastAnchor;) {
      const void* hit = std::memchr(t + from, pattern_[anchor_], lastAnchor + 1 - from);
      if (hit == nullptr) return npos;
      const std::size_t s = static_cast<std::size_t>(static_cast<const std::uint8_t*>(hit) - t) - anchor_;
      if (matchesAt(t + s)) return s;
      from = s + anchor_ + 1;
    }
    return npos;
  }
  const std::uint8_t* p = pattern_.data();
  const std::uint8_t last = p[m - 1];
  const std::size_t end = n - m;
  std::size_t s = 0;
  while (s <= end) {
    // While the byte under the pattern's last position differs, move by its bad-character shift
    // alone (always a safe step) without comparing more.
    std::uint8_t c = fold_[t[s + m - 1]];
    while (c != last) {
      s += badCharacter_[c];
      if (s > end) return npos;
      c = fold_[t[s + m - 1]];
    }
    std::size_t j = m - 1;
    while (j > 0 && p[j - 1] == fold_[t[s + j - 1]]) --j;
    if (j == 0) return s;
    s += goodSuffix_[j];
  }
  return npos;
}

}  // namespace tarvosk
