#include "types/ExactTextRun.h"

#include <algorithm>
#include <cstring>

#include "types/TextDoc.h"

namespace tarvosk {
namespace {

constexpr TextEncoding kEncodings[kTextEncodingCount] = {TextEncoding::kUtf8, TextEncoding::kGbk};

bool isSpace(std::uint8_t b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n'; }

}  // namespace

bool ExactTextRun::opensRun(ByteSpan window, std::size_t testLength) {
  const ByteSpan tested = window.first(std::min(testLength, window.size()));
  if (textPrefixLength(tested) == tested.size()) return true;
  // The bytes of light pixels can make long runs of well-formed characters too, but never a line.
  // Binary data fails the walks within a few bytes, so they come first.
  const bool wellFormed = std::any_of(std::begin(kEncodings), std::end(kEncodings), [&](TextEncoding e) {
    return walkEncodedText(window, 0, testLength, e).whole;
  });
  return wellFormed && (std::memchr(tested.data(), '\n', tested.size()) || std::memchr(tested.data(), '\r', tested.size()));
}

void ExactTextRun::begin(Markup markup) {
  markup_ = markup;
  wellFormed_.fill(true);
  carry_.fill(0);
  htmlEnd_.reset();
  xmlEnd_.reset();
  markupEnded_ = false;
}

std::optional<std::size_t> ExactTextRun::endOfTrailer(ByteSpan unit, std::size_t from) const {
  for (std::size_t i = from; i < unit.size(); ++i)
    if (!isSpace(unit[i])) return i;
  return std::nullopt;
}

std::optional<std::size_t> ExactTextRun::feed(ByteSpan window, std::uint32_t unitSize) {
  // The run's text reaches as far as the encoding that goes furthest.
  std::size_t textEnd = 0;
  bool goesOn = false;
  for (std::size_t e = 0; e < kTextEncodingCount; ++e) {
    if (!wellFormed_[e]) continue;
    const EncodedTextWalk walk = walkEncodedText(window, carry_[e], unitSize, kEncodings[e]);
    if (walk.whole) {
      carry_[e] = walk.end - unitSize;
      goesOn = true;
    } else {
      wellFormed_[e] = false;
    }
    textEnd = std::max(textEnd, std::min<std::size_t>(walk.end, unitSize));
  }

  const ByteSpan text = window.first(textEnd);
  std::size_t trailerFrom = 0;
  if (!markupEnded_ && markup_ != Markup::kNone) {
    const std::size_t end = markup_ == Markup::kHtml ? htmlEnd_.feed(text) : xmlEnd_.feed(text);
    markupEnded_ = end != kMarkupEndNotFound;
    trailerFrom = markupEnded_ ? end : 0;
  }
  if (markupEnded_)
    if (auto end = endOfTrailer(text, trailerFrom)) return end;
  if (!goesOn) return textEnd;
  return std::nullopt;
}

}  // namespace tarvosk
