// ZIP archives: from a local file header at a unit's start to the first end of central
// directory record, its archive comment included.
#pragma once

#include <cstdint>

#include "types/BoyerMoore.h"
#include "types/TypeFilter.h"

namespace tarvosk {

class CZipFilter : public CPlainTypeFilter {
 public:
  CZipFilter();
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".zip"; }
  std::u16string_view GetName() const override { return u"ZIP 文件"; }
  std::u16string_view GetCategory() const override { return u"压缩包"; }

 private:
  BoyerMoore endRecord_;  // 50 4B 05 06, without regard to ASCII case (70 6B 05 06 matches too)
  CarvedFile file_;
};

}  // namespace tarvosk
