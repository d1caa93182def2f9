// A text run as the exact carving follows it: through well-formed UTF-8 and GBK characters as
// well as ASCII text, an HTML page up to its closing tag and an XML document up to the end of
// its root element, each followed by nothing but white space.
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

  // Whether the first testLength bytes of window open a run: ASCII text, or text in one of the
  // encodings with a line end among them.
  static bool opensRun(ByteSpan window, std::size_t testLength);

  void begin(Markup markup);
  // Follows the run through one available unit (window: the unit and its look-ahead). Returns
  // the offset in the unit at which the run ends, or nothing when it goes on into the next unit.
  std::optional<std::size_t> feed(ByteSpan window, std::uint32_t unitSize);
  // A unit without data: the characters that reached into it cannot be checked.
  void skipUnit() { carry_.fill(0); }

 private:
  std::optional<std::size_t> endOfTrailer(ByteSpan unit, std::size_t from) const;

  Markup markup_ = Markup::kNone;
  std::array<bool, kTextEncodingCount> wellFormed_{};
  // Bytes at the start of the next unit that belong to a character begun in this one.
  std::array<std::size_t, kTextEncodingCount> carry_{};
  HtmlEnd htmlEnd_;
  XmlRootEnd xmlEnd_;
  bool markupEnded_ = false;  // the document's end was seen: only white space may follow
};

}  // namespace tarvosk
