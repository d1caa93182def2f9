#include "types/TextEncodings.h"

#include "types/TextDoc.h"

namespace tarvosk {
namespace {

bool inRange(std::uint8_t b, std::uint8_t low, std::uint8_t high) { return b >= low && b <= high; }

// The length of the well-formed UTF-8 character of two to four bytes at off, or 0.
std::size_t utf8CharacterLength(ByteSpan b, std::size_t off) {
  const std::uint8_t lead = b[off];
  std::size_t length = 0;
  std::uint8_t secondLow = 0x80, secondHigh = 0xBF;
  if (inRange(lead, 0xC2, 0xDF)) length = 2;
  else if (lead == 0xE0) length = 3, secondLow = 0xA0;
  else if (lead == 0xED) length = 3, secondHigh = 0x9F;
  else if (inRange(lead, 0xE1, 0xEF)) length = 3;
  else if (lead == 0xF0) length = 4, secondLow = 0x90;
  else if (lead == 0xF4) length = 4, secondHigh = 0x8F;
  else if (inRange(lead, 0xF1, 0xF3)) length = 4;
  else return 0;
  if (!fitsIn(b.size(), off, length) || !inRange(b[off + 1], secondLow, secondHigh)) return 0;
  for (std::size_t i = 2; i < length; ++i)
    if (!inRange(b[off + i], 0x80, 0xBF)) return 0;
  return length;
}

// The length of the GBK double-byte character at off (2), or 0. The user-defined areas, which
// text does not use, are left out: they are where the bytes of light pixels fall.
std::size_t gbkCharacterLength(ByteSpan b, std::size_t off) {
  const std::uint8_t lead = b[off];
  if (!inRange(lead, 0x81, 0xFE) || !fitsIn(b.size(), off, 2)) return 0;
  const std::uint8_t trail = b[off + 1];
  if (!inRange(trail, 0x40, 0x7E) && !inRange(trail, 0x80, 0xFE)) return 0;
  const bool userDefined = ((inRange(lead, 0xAA, 0xAF) || inRange(lead, 0xF8, 0xFE)) && inRange(trail, 0xA1, 0xFE)) ||
                           (inRange(lead, 0xA1, 0xA7) && inRange(trail, 0x40, 0xA0));
  return userDefined ? 0 : 2;
}

}  // namespace

EncodedTextWalk walkEncodedText(ByteSpan window, std::size_t from, std::size_t limit, TextEncoding encoding) {
  if (limit > window.size()) limit = window.size();
  std::size_t i = from;
  while (i < limit) {
    i += textPrefixLength(window.subspan(i, limit - i));
    if (i >= limit) break;
    const std::size_t length = encoding == TextEncoding::kUtf8 ? utf8CharacterLength(window, i)
                                                               : gbkCharacterLength(window, i);
    if (length == 0) return {i, false};
    i += length;
  }
  return {i, true};
}

}  // namespace tarvosk
