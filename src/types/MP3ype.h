// MP3 music: found by an ID3v2 tag or an MPEG audio frame header; the chain of frames is followed
// frame by frame, and a chain of at least 500 frames is a file. With exact lengths on, 10 frames
// make a file, and the chain holds only frames of the first frame's version, layer and sample rate.
#pragma once

#include "platform/ByteOrder.h"
#include "types/TypeFilter.h"

namespace tarvosk {

// The length in bytes of the MPEG-1 or MPEG-2 audio frame whose header is at off, or -1 when the
// four bytes there are not a valid frame header. A free-format or forbidden bitrate gives a length
// of at most a few bytes, which ends a chain.
std::int32_t mpegFrameLength(ByteSpan b, std::size_t off);

class CMP3ype : public CPlainTypeFilter {
 public:
  static constexpr std::uint64_t kMinFrames = 500;
  static constexpr std::uint64_t kMinFramesExact = 10;

  void Reset() override;
  void Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) override;
  std::u16string_view GetExtension() const override { return u".mp3"; }
  std::u16string_view GetName() const override { return u"MP3 文件"; }
  std::u16string_view GetCategory() const override { return u"音乐和视频"; }

 private:
  // Whether the frame header at off belongs to the open chain (any valid header, or with exact
  // lengths one like the chain's first); its frame length, or -1.
  std::int32_t chainFrameLength(ByteSpan window, std::size_t off);

  bool open_ = false;
  bool exact_ = false;
  bool haveFirstHeader_ = false;
  std::uint8_t firstHeader_[2] = {};  // the format bits of the chain's first frame header
  std::uint64_t start_ = 0;
  std::uint32_t skip_ = 0;  // bytes from the current position to the next frame header
  std::uint64_t frames_ = 0;
  std::uint64_t length_ = 0;  // bytes of the available units fed so far
};

}  // namespace tarvosk
