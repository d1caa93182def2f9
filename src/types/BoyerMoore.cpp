#include "types/BoyerMoore.h"

#include <algorithm>

namespace tarvosk {

BoyerMoore::BoyerMoore(ByteSpan pattern, bool caseSensitive) {
  for (int b = 0; b < 256; ++b)
    fold_[static_cast<std::size_t>(b)] =
        static_cast<std::uint8_t>((!caseSensitive && b >= 'A' && b <= 'Z') ? b + 32 : b);
  pattern_.reserve(pattern.size());
  for (std::uint8_t b : pattern) pattern_.push_back(fold_[b]);
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

std::size_t BoyerMoore::find(ByteSpan text) const {
  const std::size_t m = pattern_.size(), n = text.size();
  if (m == 0) return 0;
  if (n < m) return npos;
  const std::uint8_t* t = text.data();
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
