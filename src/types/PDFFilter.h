// PDF documents: from "%PDF" at a unit's start to the first "%%EOF" found in a unit later than
// the first unit that held one (an incrementally updated document ends at its last update).
// With exact lengths on, a document ends at its last end marker that its "startxref" confirms
// (PdfEnd); one without such a marker keeps the rule above.
#pragma once

#include <cstdint>

#include "types/BoyerMoore.h"
#include "types/PdfEnd.h"
#include "types/TypeFilter.h"

namespace tarvosk {

class CPDFFilter : public CPlainTypeFilter {
 public:
  CPDFFilter();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".pdf"; }
  std::u16string_view GetName() const override { return u"PDF 文档"; }
  std::u16string_view GetCategory() const override { return u"文档"; }

 private:
  // Reports the open document when the next one starts or its last unit is given up.
  void closeAtLastEnd();
  // The first-marker rule, for a unit with data.
  bool endsAtSecondMarker(const std::uint8_t* data, std::uint32_t unitSize);

  BoyerMoore endMarker_;  // "%%EOF", without regard to ASCII case
  CarvedFile file_;
  bool endMarkerSeen_ = false;
  bool exact_ = false;  // the open document is followed by the exact rules
  PdfEnd end_;
};

}  // namespace tarvosk
