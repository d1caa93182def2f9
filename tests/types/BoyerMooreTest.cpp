// The Boyer-Moore searches against a plain search over many random patterns and texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "types/BoyerMoore.h"

namespace tarvosk {
namespace {

ByteSpan bytes(const std::string& s) { return ByteSpan(reinterpret_cast<const std::uint8_t*>(s.data()), s.size()); }

std::size_t naiveFind(const std::string& text, const std::string& pattern, bool caseSensitive) {
  auto eq = [caseSensitive](char a, char b) {
    if (caseSensitive) return a == b;
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; };
    return lower(a) == lower(b);
  };
  auto it = std::search(text.begin(), text.end(), pattern.begin(), pattern.end(), eq);
  return it == text.end() && !pattern.empty() ? BoyerMoore::npos : static_cast<std::size_t>(it - text.begin());
}

// Random patterns and texts over alphabets of the round's choosing, searched with and without
// regard to case.
void expectSameFindsAsAPlainSearch(std::uint32_t seed, const std::function<std::string(std::mt19937&)>& alphabetOf) {
  std::mt19937 rng(seed);
  for (int round = 0; round < 20000; ++round) {
    const std::string alphabet = alphabetOf(rng);
    auto randomText = [&](std::size_t n) {
      std::string s;
      for (std::size_t i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
      return s;
    };
    std::string pattern = randomText(1 + rng() % 8);
    std::string text = randomText(rng() % 64);
    bool cs = rng() % 2;
    ASSERT_EQ(BoyerMoore(bytes(pattern), cs).find(bytes(text)), naiveFind(text, pattern, cs))
        << "pattern " << pattern << " text " << text << " case " << cs;
  }
}

TEST(BoyerMoore, FindsWhatAPlainSearchFinds) {
  // Small alphabets of letters in both cases make repeats, borders and near misses common.
  expectSameFindsAsAPlainSearch(7, [](std::mt19937& rng) { return std::string("aAbBcCdD").substr(0, 2 + 2 * (rng() % 4)); });
}

TEST(BoyerMoore, PatternsWithOtherBytesThanLettersFindWhatAPlainSearchFinds) {
  expectSameFindsAsAPlainSearch(11, [](std::mt19937&) { return std::string("aAbB%0\0 \xFF", 9); });
}

TEST(BoyerMoore, EdgesOfTheText) {
  BoyerMoore eof(bytes("%%EOF"), true);
  EXPECT_EQ(eof.find(bytes("%%EOF")), 0u);
  EXPECT_EQ(eof.find(bytes("abc%%EOF")), 3u);
  EXPECT_EQ(eof.find(bytes("%%EO")), BoyerMoore::npos);
  EXPECT_EQ(eof.find(bytes("")), BoyerMoore::npos);
  EXPECT_EQ(BoyerMoore(bytes(""), true).find(bytes("x")), 0u);
  BoyerMoore html(bytes("</html>"), false);
  EXPECT_EQ(html.find(bytes("...</HTML>")), 3u);
  EXPECT_EQ(BoyerMoore(bytes("</html>"), true).find(bytes("...</HTML>")), BoyerMoore::npos);
  // Bytes above 0x7F are never folded.
  std::string high = "\xC4\xE4";
  EXPECT_EQ(BoyerMoore(bytes("\xE4"), false).find(bytes(high)), 1u);
}

}  // namespace
}  // namespace tarvosk
