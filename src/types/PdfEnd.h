// Where a PDF document ends, found from its own structure: an end marker "%%EOF" counts only
// after a "startxref" whose offset points at a cross-reference table or stream met earlier in
// the document, and the document ends there unless more of it (an incremental update, or the
// rest of a linearized file) follows at once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/ByteOrder.h"
#include "types/BoyerMoore.h"

namespace tarvosk {

class PdfEnd {
 public:
  // Cross-reference offsets remembered per document; the oldest are dropped beyond this.
  static constexpr std::size_t kMaxRemembered = 256;

  PdfEnd();
  void begin();
  // Follows the open document through one available unit (window: the unit and its look-ahead)
  // whose first byte lies at offset `counted` of the document. Returns the document's length
  // when a checked end marker in it is followed by nothing more of the document.
  std::optional<std::uint64_t> feed(ByteSpan window, std::uint32_t unitSize, std::uint64_t counted);
  // A unit without data: what reaches into it cannot be checked.
  void skipUnit();
  // The end of the last checked marker that more of the document followed.
  std::optional<std::uint64_t> lastEnd() const { return lastEnd_; }
  // Whether any end marker of the document passed the check so far.
  bool foundCheckedMarker() const { return checkedMarker_; }

 private:
  enum class Keyword : std::uint8_t { kOther, kTable, kStream, kStartXref };
  Keyword classify(ByteSpan window, std::size_t at) const;
  std::uint8_t byteBefore(ByteSpan window, std::size_t at, std::size_t distance) const;
  bool pointsAtCrossReference(std::uint64_t offset, std::uint64_t keywordAt) const;
  static void remember(std::vector<std::uint64_t>& offsets, std::uint64_t offset);

  BoyerMoore xref_;  // "xref", "XRef" and the end of "startxref"
  std::vector<std::uint64_t> tables_;   // offsets of "xref" keywords
  std::vector<std::uint64_t> streams_;  // offsets of "/XRef" names
  std::array<std::uint8_t, 8> tail_{};  // the last bytes of the unit before, when it had data
  std::size_t tailLength_ = 0;
  std::optional<std::uint64_t> pendingEnd_;  // a checked marker that ends in the next unit
  std::optional<std::uint64_t> lastEnd_;
  bool checkedMarker_ = false;
};

}  // namespace tarvosk
