// PDF documents: from "%PDF" at a unit's start to the first "%%EOF" found in a unit later than
// the first unit that held one (an incrementally updated document ends at its last update).
#pragma once

#include <cstdint>

#include "types/BoyerMoore.h"
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
  BoyerMoore endMarker_;  // "%%EOF", without regard to ASCII case
  CarvedFile file_;
  bool endMarkerSeen_ = false;
};

}  // namespace tarvosk
