// Text that goes beyond ASCII: how far bytes are well-formed UTF-8 or GBK text. The exact text
// runs follow both encodings side by side, since a run's encoding is not known at its start.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk {

enum class TextEncoding : std::uint8_t { kUtf8 = 0, kGbk = 1 };
inline constexpr std::size_t kTextEncodingCount = 2;

// Where a walk of text in one encoding stopped.
struct EncodedTextWalk {
  std::size_t end = 0;  // the first byte that is not text, or the walk's limit
  bool whole = false;   // every byte up to the limit was text
};

// Walks window from `from` while the bytes are text characters (tab, line feed, carriage return,
// 0x20 to 0x7E) or well-formed multi-byte characters of the encoding, up to `limit`. A character
// that starts before limit may end after it, as far as the window reaches; whole is then set and
// end lies past limit.
EncodedTextWalk walkEncodedText(ByteSpan window, std::size_t from, std::size_t limit, TextEncoding encoding);

}  // namespace tarvosk
