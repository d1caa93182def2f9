#include "platform/CaseFolding.h"

#include <algorithm>

namespace tarvosk {

// Simple case folding of the alphabets that names are likely written in: ASCII, Latin-1 and
// Latin Extended, Greek, Cyrillic, Armenian, Roman numerals, circled and full-width letters.
char16_t foldCase(char16_t c) {
  auto plus = [c](int delta) { return static_cast<char16_t>(c + delta); };
  auto evenUpper = [c](char16_t low, char16_t high) {
    return c >= low && c <= high && (c - low) % 2 == 0;
  };
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? plus(32) : c;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return plus(32);
  if (c < 0x100) return c;
  if (evenUpper(0x100, 0x12E) || evenUpper(0x132, 0x136) || evenUpper(0x139, 0x147) ||
      evenUpper(0x14A, 0x176) || evenUpper(0x179, 0x17D))
    return plus(1);
  if (c == 0x178) return 0xFF;
  if (c == 0x386) return 0x3AC;
  if (c >= 0x388 && c <= 0x38A) return plus(37);
  if (c == 0x38C) return 0x3CC;
  if (c == 0x38E || c == 0x38F) return plus(63);
  if ((c >= 0x391 && c <= 0x3A1) || (c >= 0x3A3 && c <= 0x3AB)) return plus(32);
  if (c == 0x3C2) return 0x3C3;
  if (c >= 0x400 && c <= 0x40F) return plus(80);
  if (c >= 0x410 && c <= 0x42F) return plus(32);
  if (evenUpper(0x460, 0x480) || evenUpper(0x48A, 0x4BE) || evenUpper(0x4C1, 0x4CD) ||
      evenUpper(0x4D0, 0x52E))
    return plus(1);
  if (c >= 0x531 && c <= 0x556) return plus(48);
  if (evenUpper(0x1E00, 0x1E94) || evenUpper(0x1EA0, 0x1EFE)) return plus(1);
  if (c >= 0x2160 && c <= 0x216F) return plus(16);
  if (c >= 0x24B6 && c <= 0x24CF) return plus(26);
  if (c >= 0xFF21 && c <= 0xFF3A) return plus(32);
  return c;
}

std::u16string folded(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = foldCase(c);
  return out;
}

bool equalsIgnoreCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (foldCase(a[i]) != foldCase(b[i])) return false;
  return true;
}

int compareIgnoreCase(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = foldCase(a[i]), y = foldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool startsWithIgnoreCase(std::u16string_view text, std::u16string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace tarvosk
