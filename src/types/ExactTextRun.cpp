#include "types/ExactTextRun.h"

#include <algorithm>
#include <cstring>

#include "types/TextDoc.h"

namespace tarvosk {
namespace {

constexpr TextEncoding kEncodings[kTextEncodingCount] = {TextEncoding::kUtf8, TextEncoding::kGbk};

}  // namespace

bool ExactTextRun::opensRun(ByteSpan window, std::size_t testLength, bool markup) {
  const ByteSpan tested = window.first(std::min(testLength, window.size()));
  // Binary data fails both tests within a few bytes.
  const bool text = textPrefixLength(tested) == tested.size() ||
                    std::any_of(std::begin(kEncodings), std::end(kEncodings),
                                [&](TextEncoding e) { return walkEncodedText(window, 0, testLength, e).whole; });
  // Pixels of middle tones read as ASCII text and light ones as well-formed characters, but they
  // never make a line: plain text opens a run only with a line end among its first bytes.
  return text && (markup || std::memchr(tested.data(), '\n', tested.size()) || std::memchr(tested.data(), '\r', tested.size()));
}

void ExactTextRun::begin(Markup markup) {
  markup_ = markup;
  wellFormed_.fill(true);
  carry_.fill(0);
  htmlEnd_.reset();
  xmlEnd_.reset();
  trailer_ = Trailer::kNone;
}

std::optional<std::size_t> ExactTextRun::endOfTrailer(ByteSpan unit, std::size_t from) {
  std::size_t i = from;
  if (trailer_ == Trailer::kAfterEnd && i < unit.size() && unit[i] == '\r') {
    ++i;
    trailer_ = Trailer::kAfterCarriageReturn;
  }
  if (trailer_ != Trailer::kDone && i < unit.size()) {
    if (unit[i] == '\n') ++i;
    trailer_ = Trailer::kDone;
  }
  if (i < unit.size() || trailer_ == Trailer::kDone) return i;
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
  if (trailer_ == Trailer::kNone && markup_ != Markup::kNone) {
    const std::size_t end = markup_ == Markup::kHtml ? htmlEnd_.feed(text) : xmlEnd_.feed(text);
    if (end != kMarkupEndNotFound) {
      trailer_ = Trailer::kAfterEnd;
      trailerFrom = end;
    }
  }
  if (trailer_ != Trailer::kNone)
    if (const auto end = endOfTrailer(text, trailerFrom)) return end;
  if (!goesOn) return textEnd;
  return std::nullopt;
}

}  // namespace tarvosk
