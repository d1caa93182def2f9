#include "types/TextDoc.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "settings/Settings.h"
#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::array<bool, 256> makeTextTable() {
  std::array<bool, 256> table{};
  for (int b = 0x20; b <= 0x7E; ++b) table[static_cast<std::size_t>(b)] = true;
  table['\t'] = table['\n'] = table['\r'] = true;
  return table;
}
constexpr std::array<bool, 256> kTextTable = makeTextTable();

// Eight bytes at a time: a word passes when every byte lies in 0x20 to 0x7E (no byte below 0x20,
// none above 0x7E). Words holding a tab or a line end are walked byte by byte.
constexpr std::uint64_t kEachByte = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
inline bool allPrintable(std::uint64_t x) {
  const std::uint64_t below = (x - kEachByte * 0x20) & ~x & kHighBits;
  const std::uint64_t above = ((x + kEachByte * (0x7F - 0x7E)) | x) & kHighBits;
  return (below | above) == 0;
}

struct MarkupPrefix {
  std::string_view text;
  CTextDoc::Subtype subtype;
};
constexpr MarkupPrefix kPrefixes[] = {
    {"{\\rtf", CTextDoc::kRtf},
    {"<htm", CTextDoc::kHtml},
    {"<!DOCTYPE", CTextDoc::kHtml},
    {"<?xml", CTextDoc::kXml},
};

constexpr std::size_t kLongestPrefix = 9;
// Passed over before the markup prefixes when exact lengths are on.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

std::uint8_t foldAscii(std::uint8_t b) { return (b >= 'A' && b <= 'Z') ? static_cast<std::uint8_t>(b + 32) : b; }

bool startsWithFolded(ByteSpan bytes, std::string_view prefix) {
  if (bytes.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (foldAscii(bytes[i]) != foldAscii(static_cast<std::uint8_t>(prefix[i]))) return false;
  return true;
}

}  // namespace

bool isTextCharacter(std::uint8_t b) { return kTextTable[b]; }

std::size_t textPrefixLength(ByteSpan bytes) {
  const std::uint8_t* p = bytes.data();
  const std::size_t n = bytes.size();
  std::size_t i = 0;
  while (i + 8 <= n) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if (allPrintable(word)) {
      i += 8;
      continue;
    }
    for (const std::size_t end = i + 8; i < end; ++i)
      if (!kTextTable[p[i]]) return i;
  }
  for (; i < n; ++i)
    if (!kTextTable[p[i]]) return i;
  return n;
}

CTextDoc::Subtype CTextDoc::subtypeOf(ByteSpan firstBytes) {
  for (const MarkupPrefix& prefix : kPrefixes)
    if (startsWithFolded(firstBytes, prefix.text)) return prefix.subtype;
  return kPlain;
}

std::size_t CTextDoc::startTestLength(std::uint32_t unitSize) {
  const std::int32_t wanted = settings().MinTextFileSize;
  const std::size_t atLeastOne = wanted < 1 ? 1 : static_cast<std::size_t>(wanted);
  return std::min(atLeastOne, readableBytes(unitSize));
}

void CTextDoc::Reset() {
  clearResults();
  run_.reset();
  subtype_ = kPlain;
}

CTextDoc::Subtype CTextDoc::subtypeAt(const std::uint8_t* data, std::uint32_t unitSize, bool exact) {
  ByteSpan first(data, std::min(readableBytes(unitSize), kLongestPrefix + kUtf8ByteOrderMark.size()));
  if (exact && startsWithFolded(first, kUtf8ByteOrderMark)) first = first.subspan(kUtf8ByteOrderMark.size());
  return subtypeOf(first.first(std::min(first.size(), kLongestPrefix)));
}

bool CTextDoc::opensRun(const std::uint8_t* data, std::uint32_t unitSize) const {
  const std::size_t testLength = startTestLength(unitSize);
  if (testLength == 0) return false;
  if (settings().ExactLengths)
    return ExactTextRun::opensRun(ByteSpan(data, readableBytes(unitSize)), testLength,
                                  subtypeAt(data, unitSize, true) != kPlain);
  return textPrefixLength(ByteSpan(data, testLength)) == testLength;
}

void CTextDoc::openRun(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  run_.begin(unit);
  exact_ = settings().ExactLengths;
  subtype_ = subtypeAt(data, unitSize, exact_);
  if (exact_)
    exactRun_.begin(subtype_ == kHtml  ? ExactTextRun::Markup::kHtml
                    : subtype_ == kXml ? ExactTextRun::Markup::kXml
                                       : ExactTextRun::Markup::kNone);
}

std::optional<std::size_t> CTextDoc::runEndInUnit(const std::uint8_t* data, std::uint32_t unitSize) {
  if (exact_) return exactRun_.feed(ByteSpan(data, readableBytes(unitSize)), unitSize);
  const std::size_t text = textPrefixLength(ByteSpan(data, unitSize));
  if (text < unitSize) return text;
  return std::nullopt;
}

void CTextDoc::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (!run_.isOpen()) {
    if (!data || !opensRun(data, unitSize)) return;
    openRun(unit, data, unitSize);
  }
  if (!data) {
    run_.markUnavailable();
    if (exact_) exactRun_.skipUnit();
    run_.addUnit(lists_[subtype_], unitSize, kMaxRunLength);
    return;
  }
  if (const auto end = runEndInUnit(data, unitSize)) {
    run_.finishWithin(lists_[subtype_], run_.length() + *end, kMaxRunLength);
    return;
  }
  run_.addUnit(lists_[subtype_], unitSize, kMaxRunLength);
}

}  // namespace tarvosk
