// Where a markup document ends, followed byte by byte across the units of a text run: an HTML
// page after its closing </html> tag, an XML document after the end of its root element.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk {

inline constexpr std::size_t kMarkupEndNotFound = static_cast<std::size_t>(-1);

class HtmlEnd {
 public:
  void reset() { matched_ = 0; }
  // The offset in bytes just after a closing </html> tag (letters in any case) that ends in
  // them, or kMarkupEndNotFound.
  std::size_t feed(ByteSpan bytes);

 private:
  std::size_t matched_ = 0;  // characters of "</html>" matched so far
};

class XmlRootEnd {
 public:
  // Elements nest no deeper than this in any document we carve; deeper is taken as broken.
  static constexpr std::uint32_t kMaxDepth = 4096;

  void reset();
  // The offset in bytes just after the '>' that closes the root element, or kMarkupEndNotFound.
  // Once the structure turns out broken (an end tag with no element open, nesting beyond
  // kMaxDepth), nothing more is found.
  std::size_t feed(ByteSpan bytes);

 private:
  enum class State : std::uint8_t {
    kText,           // character data
    kTagOpen,        // just after '<'
    kStartTag,       // inside a start tag
    kEndTag,         // inside an end tag
    kInstruction,    // <? ... ?>
    kMarkupOpen,     // just after "<!"
    kComment,        // <!-- ... -->
    kCData,          // <![CDATA[ ... ]]>
    kDeclaration,    // <!DOCTYPE ...> and its internal subset
    kBroken,
  };
  bool step(std::uint8_t b);  // true when b closes the root element
  // Follows a quoted value inside a tag: true when b opens, lies in or closes one.
  bool quoted(std::uint8_t b);

  State state_ = State::kText;
  std::uint32_t depth_ = 0;
  bool rootOpened_ = false;
  std::uint8_t quote_ = 0;        // the quote of an attribute value inside a tag, or 0
  std::uint8_t previous_ = 0;     // the byte before, inside a start tag ('/' marks an empty element)
  std::uint32_t progress_ = 0;    // characters of "--", "[CDATA[", "-->", "]]>" or "?>" matched
  std::uint32_t subsetDepth_ = 0;  // '[' open inside a declaration
};

}  // namespace tarvosk
