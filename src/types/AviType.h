// AVI videos: a RIFF chunk of form "AVI"; the RIFF chunk size gives the length. With exact lengths
// on, the length also takes in the "AVIX" RIFF chunks that follow the first (videos beyond 1 GB),
// and never reaches past the units the scan has fed.
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

 private:
  // Counts one unit of the open video into its reported length and follows the RIFF chunks
  // that end in it.
  void followChunks(const std::uint8_t* data, std::uint32_t unitSize);

  // With exact lengths the video is reported at its start and its length grows unit by unit.
  bool open_ = false;
  std::uint64_t chunksEnd_ = 0;  // where the last RIFF chunk known so far ends, from the file's start
  std::uint64_t counted_ = 0;    // bytes of the video fed so far
};

}  // namespace tarvosk
