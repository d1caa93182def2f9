// BMP pictures: found by their "BM" header; the header's size field gives the length.
#pragma once

#include "types/TypeFilter.h"

namespace tarvosk {

class CBmpType : public CPlainTypeFilter {
 public:
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".bmp"; }
  std::u16string_view GetName() const override { return u"BMP 图像"; }
  std::u16string_view GetCategory() const override { return u"图像和数码相机"; }
};

}  // namespace tarvosk
