#include "types/MP3ype.h"

#include <array>

#include "settings/Settings.h"
#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kId3FlagsOffset = 5;
constexpr std::size_t kId3SizeOffset = 6;       // 28-bit size in four 7-bit groups
constexpr std::uint8_t kId3MaxFlags = 16;
constexpr std::uint8_t kId3FooterFlag = 0x10;
constexpr std::uint32_t kId3HeaderBytes = 10;
constexpr std::uint32_t kId3FooterBytes = 10;
constexpr std::uint64_t kId3v1TagBytes = 128;   // "TAG" ... after the last frame
constexpr std::int32_t kMaxFrameLength = 2889;  // a longer frame ends the chain

// The bits of header bytes 1 and 2 that every frame of one file shares: version and layer, and
// the sample rate.
constexpr std::uint8_t kFormatBits1 = 0x1E;
constexpr std::uint8_t kFormatBits2 = 0x0C;

constexpr unsigned kVersionMpeg1 = 3;
constexpr unsigned kVersionMpeg2 = 2;

// kbit/s by [MPEG-2][layer - 1][bitrate index]; index 15 is forbidden and handled apart.
constexpr std::array<std::array<std::array<std::uint16_t, 15>, 3>, 2> kBitrates = {{
    {{{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
      {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}}},
    {{{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
      {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}},
}};
constexpr std::array<std::array<std::uint32_t, 3>, 2> kSampleRates = {{{44100, 48000, 32000}, {22050, 24000, 16000}}};

}  // namespace

std::int32_t mpegFrameLength(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 4)) return -1;
  const std::uint8_t b1 = b[off + 1];
  const std::uint8_t b2 = b[off + 2];
  if (b[off] != 0xFF || (b1 & 0xE0) != 0xE0) return -1;
  const unsigned version = (b1 >> 3) & 3u;
  const unsigned layerBits = (b1 >> 1) & 3u;
  const unsigned rateIndex = (b2 >> 2) & 3u;
  if ((version != kVersionMpeg1 && version != kVersionMpeg2) || layerBits == 0 || rateIndex == 3) return -1;
  const unsigned layer = 4 - layerBits;
  const unsigned bitrateIndex = b2 >> 4;
  if (bitrateIndex == 15) return 0;  // forbidden: ends the chain
  const bool mpeg2 = version == kVersionMpeg2;
  const std::uint32_t bitrate = kBitrates[mpeg2][layer - 1][bitrateIndex];
  const std::uint32_t sampleRate = kSampleRates[mpeg2][rateIndex];
  const std::uint32_t padding = (b2 >> 1) & 1u;
  const std::uint32_t multiplier = layer == 1 ? 12 : (layer == 3 && mpeg2 ? 72 : 144);
  const std::uint32_t slot = layer == 1 ? 4 : 1;
  return static_cast<std::int32_t>((multiplier * bitrate * 1000 / sampleRate + padding) * slot);
}

void CMP3ype::Reset() {
  results_.clear();
  open_ = false;
}

std::int32_t CMP3ype::chainFrameLength(ByteSpan window, std::size_t off) {
  const std::int32_t len = mpegFrameLength(window, off);
  if (len < 0 || !exact_) return len;
  const auto format1 = static_cast<std::uint8_t>(window[off + 1] & kFormatBits1);
  const auto format2 = static_cast<std::uint8_t>(window[off + 2] & kFormatBits2);
  if (!haveFirstHeader_) {
    haveFirstHeader_ = true;
    firstHeader_[0] = format1;
    firstHeader_[1] = format2;
  }
  return format1 == firstHeader_[0] && format2 == firstHeader_[1] ? len : -1;
}

// Units without data are passed over: they neither advance nor end an open file.
void CMP3ype::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data == nullptr) return;
  const ByteSpan window = unitWithLookAhead(data, unitSize);  // headers may straddle the unit's end
  if (!open_) {
    const ByteSpan b = unitOnly(data, unitSize);
    if (hasBytesAt(b, 0, "ID3", 3) && fitsIn(b.size(), 0, kId3HeaderBytes) && b[kId3FlagsOffset] < kId3MaxFlags) {
      std::uint32_t tagSize = 0;
      for (std::size_t i = 0; i < 4; ++i) tagSize = (tagSize << 7) | (b[kId3SizeOffset + i] & 0x7Fu);
      skip_ = kId3HeaderBytes + ((b[kId3FlagsOffset] & kId3FooterFlag) ? kId3FooterBytes : 0) + tagSize;
      frames_ = 0;
    } else if (const std::int32_t len = mpegFrameLength(b, 0); len >= 1 && len <= kMaxFrameLength) {
      skip_ = static_cast<std::uint32_t>(len);
      frames_ = 1;
    } else {
      return;
    }
    open_ = true;
    start_ = unit;
    length_ = 0;
    exact_ = settings().ExactLengths;
    haveFirstHeader_ = false;
    if (frames_ == 1) chainFrameLength(b, 0);  // the chain's first frame sets its format
  }

  // Each step moves forward by at least one byte, so the walk ends within the unit.
  std::uint32_t position = 0;
  std::uint32_t remaining = unitSize;
  while (skip_ < remaining) {
    position += skip_;
    remaining -= skip_;
    skip_ = 0;
    const std::int32_t len = chainFrameLength(window, position);
    if (len < 0) break;
    ++frames_;
    if (len == 0 || len > kMaxFrameLength) break;
    skip_ = static_cast<std::uint32_t>(len);
  }
  if (skip_ >= remaining) {
    skip_ -= remaining;
    length_ += unitSize;
    return;
  }

  // The chain ends at position.
  if (frames_ >= (exact_ ? kMinFramesExact : kMinFrames)) {
    std::uint64_t length = length_ + position;
    if (hasBytesAt(window, position, "TAG", 3)) length += kId3v1TagBytes;
    results_.push_back({start_, length, kChanceMayBeGood});
  }
  open_ = false;
}

}  // namespace tarvosk
