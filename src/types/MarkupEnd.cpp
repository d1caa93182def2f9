#include "types/MarkupEnd.h"

#include <string_view>

namespace tarvosk {
namespace {

constexpr std::string_view kHtmlClosingTag = "</html>";
constexpr std::string_view kCommentOpening = "--";
constexpr std::string_view kCDataOpening = "[CDATA[";

std::uint8_t foldAscii(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 32) : b; }
bool isSpace(std::uint8_t b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n'; }

}  // namespace

std::size_t HtmlEnd::feed(ByteSpan bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const std::uint8_t b = foldAscii(bytes[i]);
    if (b == static_cast<std::uint8_t>(kHtmlClosingTag[matched_])) {
      if (++matched_ == kHtmlClosingTag.size()) {
        matched_ = 0;
        return i + 1;
      }
    } else {
      matched_ = b == '<' ? 1 : 0;
    }
  }
  return kMarkupEndNotFound;
}

void XmlRootEnd::reset() { *this = XmlRootEnd{}; }

std::size_t XmlRootEnd::feed(ByteSpan bytes) {
  for (std::size_t i = 0; i < bytes.size() && state_ != State::kBroken; ++i)
    if (step(bytes[i])) return i + 1;
  return kMarkupEndNotFound;
}

bool XmlRootEnd::quoted(std::uint8_t b) {
  if (quote_ != 0) {
    if (b == quote_) quote_ = 0;
    return true;
  }
  if (b != '"' && b != '\'') return false;
  quote_ = b;
  return true;
}

bool XmlRootEnd::step(std::uint8_t b) {
  switch (state_) {
    case State::kText:
      if (b == '<') state_ = State::kTagOpen;
      return false;
    case State::kTagOpen:
      progress_ = 0;
      quote_ = 0;
      previous_ = b;
      state_ = b == '/' ? State::kEndTag : b == '?' ? State::kInstruction : b == '!' ? State::kMarkupOpen : State::kStartTag;
      return false;
    case State::kStartTag:
      if (quoted(b)) return false;
      if (b == '>') {
        state_ = State::kText;
        rootOpened_ = true;
        if (previous_ == '/') return depth_ == 0;  // an empty element: the root, when nothing is open
        if (++depth_ > kMaxDepth) state_ = State::kBroken;
      } else if (!isSpace(b)) {
        previous_ = b;
      }
      return false;
    case State::kEndTag:
      if (b != '>') return false;
      if (depth_ == 0) {
        state_ = State::kBroken;
        return false;
      }
      state_ = State::kText;
      return --depth_ == 0 && rootOpened_;
    case State::kInstruction:
      if (b == '>' && progress_ == 1) state_ = State::kText;
      progress_ = b == '?' ? 1 : 0;
      return false;
    case State::kMarkupOpen: {
      // "<!--" opens a comment, "<![CDATA[" a character data section, anything else a
      // declaration. previous_ keeps the first byte after "<!" while an opening is matched.
      const std::string_view opening = (progress_ == 0 ? b : previous_) == '-' ? kCommentOpening : kCDataOpening;
      if (b == static_cast<std::uint8_t>(opening[progress_])) {
        previous_ = progress_ == 0 ? b : previous_;
        if (++progress_ == opening.size()) {
          state_ = opening == kCommentOpening ? State::kComment : State::kCData;
          progress_ = 0;
        }
        return false;
      }
      state_ = State::kDeclaration;
      subsetDepth_ = 0;
      return step(b);
    }
    case State::kComment:
    case State::kCData: {
      const std::uint8_t closing = state_ == State::kComment ? '-' : ']';
      if (b == '>' && progress_ >= 2) state_ = State::kText;
      progress_ = b == closing ? (progress_ < 2 ? progress_ + 1 : 2) : 0;
      return false;
    }
    case State::kDeclaration:
      if (quoted(b)) return false;
      if (b == '[') {
        ++subsetDepth_;
      } else if (b == ']' && subsetDepth_ > 0) {
        --subsetDepth_;
      } else if (b == '>' && subsetDepth_ == 0) {
        state_ = State::kText;
      }
      return false;
    case State::kBroken:
      return false;
  }
  return false;
}

}  // namespace tarvosk
