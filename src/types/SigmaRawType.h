// Sigma X3F camera raw images: found by "FOVb"; the file is taken to end 8 bytes after the first
// "PROP" section mark.
#pragma once

#include "types/BoyerMoore.h"
#include "types/TypeFilter.h"

namespace tarvosk {

class CSigmaRawType : public CPlainTypeFilter {
 public:
  CSigmaRawType();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".x3f"; }
  std::u16string_view GetName() const override { return u"Sigma 原始图像"; }
  std::u16string_view GetCategory() const override { return u"图像和数码相机"; }

 private:
  CarvedFile file_;
  BoyerMoore property_;
};

}  // namespace tarvosk
