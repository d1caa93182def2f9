#include "types/PdfEnd.h"

#include <algorithm>
#include <string_view>

namespace tarvosk {
namespace {

constexpr std::string_view kKeyword = "xref";        // found without regard to case
constexpr std::string_view kStart = "start";          // before "xref": the trailer's keyword
constexpr std::string_view kEndMarker = "%%EOF";
constexpr std::size_t kMaxBlanks = 32;               // white space allowed between trailer tokens
constexpr std::size_t kMaxOffsetDigits = 19;
constexpr std::size_t kMaxBlanksBeforeUpdate = 16;   // white space between a marker and an update
constexpr std::size_t kMaxObjectNumberDigits = 10;
constexpr std::uint64_t kStreamDictionaryReach = 1024;  // "/XRef" after the stream object's start
constexpr std::uint64_t kTableKeywordSlack = 2;         // some writers point at the line end before "xref"

bool isBlank(std::uint8_t b) { return b == ' ' || b == '\t' || b == '\r' || b == '\n' || b == '\f'; }
bool isDigit(std::uint8_t b) { return b >= '0' && b <= '9'; }
bool isLetter(std::uint8_t b) { return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z'); }

bool textAt(ByteSpan b, std::size_t at, std::string_view text) {
  if (!fitsIn(b.size(), at, text.size())) return false;
  return std::equal(text.begin(), text.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                    [](char c, std::uint8_t x) { return static_cast<std::uint8_t>(c) == x; });
}

std::size_t skipBlanks(ByteSpan b, std::size_t at, std::size_t most) {
  for (std::size_t n = 0; n < most && at < b.size() && isBlank(b[at]); ++n) ++at;
  return at;
}

// Digits at `at` (at most `most`); false when there are none.
bool readNumber(ByteSpan b, std::size_t& at, std::size_t most, std::uint64_t& value) {
  const std::size_t first = at;
  value = 0;
  while (at < b.size() && at - first < most && isDigit(b[at])) value = value * 10 + (b[at++] - '0');
  return at > first;
}

struct Trailer {
  std::uint64_t xrefOffset = 0;
  std::size_t end = 0;  // just after the end marker and its line end
};

// "startxref", blanks, the offset, blanks, "%%EOF" and a line end, from just after "startxref".
std::optional<Trailer> readTrailer(ByteSpan b, std::size_t at) {
  Trailer t;
  at = skipBlanks(b, at, kMaxBlanks);
  if (!readNumber(b, at, kMaxOffsetDigits, t.xrefOffset)) return std::nullopt;
  at = skipBlanks(b, at, kMaxBlanks);
  if (!textAt(b, at, kEndMarker)) return std::nullopt;
  at += kEndMarker.size();
  if (!fitsIn(b.size(), at, 2)) return std::nullopt;  // the line end must be readable
  if (b[at] == '\r') ++at;
  if (b[at] == '\n') ++at;
  t.end = at;
  return t;
}

// Whether more of the document follows at `at`: the objects or the cross-reference section of
// an update.
bool documentGoesOn(ByteSpan b, std::size_t at) {
  at = skipBlanks(b, at, kMaxBlanksBeforeUpdate);
  if (textAt(b, at, kKeyword)) return true;
  std::uint64_t number = 0;
  if (!readNumber(b, at, kMaxObjectNumberDigits, number)) return false;
  const std::size_t beforeGeneration = at;
  at = skipBlanks(b, at, kMaxBlanks);
  if (at == beforeGeneration || !readNumber(b, at, kMaxObjectNumberDigits, number)) return false;
  const std::size_t beforeObj = at;
  at = skipBlanks(b, at, kMaxBlanks);
  return at > beforeObj && textAt(b, at, "obj");
}

ByteSpan asciiBytes(std::string_view text) { return ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()); }

}  // namespace

PdfEnd::PdfEnd() : xref_(asciiBytes(kKeyword), false) {}

void PdfEnd::begin() {
  tables_.clear();
  streams_.clear();
  tailLength_ = 0;
  pendingEnd_.reset();
  lastEnd_.reset();
  checkedMarker_ = false;
}

void PdfEnd::skipUnit() {
  tailLength_ = 0;
  pendingEnd_.reset();
}

void PdfEnd::remember(std::vector<std::uint64_t>& offsets, std::uint64_t offset) {
  if (offsets.size() == kMaxRemembered) offsets.erase(offsets.begin());
  offsets.push_back(offset);
}

std::uint8_t PdfEnd::byteBefore(ByteSpan window, std::size_t at, std::size_t distance) const {
  if (distance <= at) return window[at - distance];
  const std::size_t intoTail = distance - at;
  return intoTail <= tailLength_ ? tail_[tailLength_ - intoTail] : 0;
}

PdfEnd::Keyword PdfEnd::classify(ByteSpan window, std::size_t at) const {
  if (textAt(window, at, "XRef")) return byteBefore(window, at, 1) == '/' ? Keyword::kStream : Keyword::kOther;
  if (!textAt(window, at, kKeyword)) return Keyword::kOther;
  bool afterStart = true;
  for (std::size_t i = 0; i < kStart.size(); ++i)
    afterStart = afterStart && byteBefore(window, at, kStart.size() - i) == static_cast<std::uint8_t>(kStart[i]);
  if (afterStart) return Keyword::kStartXref;
  return isLetter(byteBefore(window, at, 1)) ? Keyword::kOther : Keyword::kTable;
}

bool PdfEnd::pointsAtCrossReference(std::uint64_t offset, std::uint64_t keywordAt) const {
  if (offset >= keywordAt) return false;
  const bool table = std::any_of(tables_.begin(), tables_.end(),
                                 [&](std::uint64_t t) { return t >= offset && t <= offset + kTableKeywordSlack; });
  const bool stream = std::any_of(streams_.begin(), streams_.end(),
                                  [&](std::uint64_t s) { return s > offset && s <= offset + kStreamDictionaryReach; });
  return table || stream;
}

std::optional<std::uint64_t> PdfEnd::feed(ByteSpan window, std::uint32_t unitSize, std::uint64_t counted) {
  if (pendingEnd_ && *pendingEnd_ <= counted + unitSize) {
    const std::uint64_t end = *pendingEnd_;
    pendingEnd_.reset();
    if (!documentGoesOn(window, static_cast<std::size_t>(end - counted))) return end;
    lastEnd_ = end;
  }
  // Keywords that begin in this unit; their last letters may lie in the look-ahead.
  const ByteSpan searched = window.first(std::min(window.size(), unitSize + kKeyword.size() - 1));
  for (std::size_t from = 0; from < unitSize && !pendingEnd_;) {
    const std::size_t found = xref_.find(searched.subspan(from));
    if (found == BoyerMoore::npos || from + found >= unitSize) break;
    const std::size_t at = from + found;
    from = at + 1;
    switch (classify(window, at)) {
      case Keyword::kTable: remember(tables_, counted + at); break;
      case Keyword::kStream: remember(streams_, counted + at - 1); break;
      case Keyword::kStartXref: {
        const std::optional<Trailer> trailer = readTrailer(window, at + kKeyword.size());
        if (!trailer || !pointsAtCrossReference(trailer->xrefOffset, counted + at - kStart.size())) break;
        checkedMarker_ = true;
        const std::uint64_t end = counted + trailer->end;
        if (trailer->end > unitSize) {
          pendingEnd_ = end;  // decided when the next unit comes with data
        } else if (!documentGoesOn(window, trailer->end)) {
          return end;
        } else {
          lastEnd_ = end;
        }
        break;
      }
      case Keyword::kOther: break;
    }
  }
  tailLength_ = std::min<std::size_t>(tail_.size(), unitSize);
  std::copy_n(window.begin() + static_cast<std::ptrdiff_t>(unitSize - tailLength_), tailLength_, tail_.begin());
  return std::nullopt;
}

}  // namespace tarvosk
