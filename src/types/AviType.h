// AVI videos: a RIFF chunk of form "AVI"; the RIFF chunk size gives the length.
#pragma once

#include "types/TypeFilter.h"

namespace tarvosk {

class CAviType : public CPlainTypeFilter {
 public:
  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".avi"; }
  std::u16string_view GetName() const override { return u"AVI 文件"; }
  std::u16string_view GetCategory() const override { return u"音乐和视频"; }
};

}  // namespace tarvosk
