// A text run as the exact carving follows it: through well-formed UTF-8 and GBK characters as
// well as ASCII text, an HTML page up to its closing tag and an XML document up to the end of
// its root element, each with the line end that follows it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/ByteOrder.h"
#include "types/MarkupEnd.h"
#include "types/TextEncodings.h"

namespace tarvosk {

class ExactTextRun {
 public:
  enum class Markup : std::uint8_t { kNone, kHtml, kXml };

  // Whether the first testLength bytes of window open a run: text in one of the encodings (ASCII
  // included) that begins with markup or holds a line end.
  static bool opensRun(ByteSpan window, std::size_t testLength, bool markup);

  void begin(Markup markup);
  // Follows the run through one available unit (window: the unit and its look-ahead). Returns
  // the offset in the unit at which the run ends (at most its size), or nothing when it goes on
  // into the next unit.
  std::optional<std::size_t> feed(ByteSpan window, std::uint32_t unitSize);
  // A unit without data: the characters that reached into it cannot be checked.
  void skipUnit() { carry_.fill(0); }

 private:
  // Where the run ends after the markup's end: past one line end (CR LF, LF or CR), which may
  // lie in the next unit.
  std::optional<std::size_t> endOfTrailer(ByteSpan unit, std::size_t from);

  Markup markup_ = Markup::kNone;
  std::array<bool, kTextEncodingCount> wellFormed_{};
  // Bytes at the start of the next unit that belong to a character begun in this one.
  std::array<std::size_t, kTextEncodingCount> carry_{};
  HtmlEnd htmlEnd_;
  XmlRootEnd xmlEnd_;
  enum class Trailer : std::uint8_t { kNone, kAfterEnd, kAfterCarriageReturn, kDone };
  Trailer trailer_ = Trailer::kNone;  // how much of the line end after the markup's end was read
};

}  // namespace tarvosk
