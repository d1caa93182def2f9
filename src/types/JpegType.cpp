#include "types/JpegType.h"

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::uint8_t kMarkerPrefix = 0xFF;
constexpr std::uint8_t kStartOfImage = 0xD8;
constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kRestartFirst = 0xD0;
constexpr std::uint8_t kRestartLast = 0xD7;
constexpr std::uint8_t kStuffedZero = 0x00;
constexpr std::uint8_t kTemporary = 0x01;
constexpr std::size_t kFirstSegmentLengthOffset = 4;  // length of the segment after the start marker
constexpr std::uint32_t kMarkerBytes = 2;             // a marker without a length field
constexpr std::uint8_t kEndOfImagePattern[] = {0xFF, 0xD9};

}  // namespace

CJpegType::CJpegType() : endOfImage_(ByteSpan(kEndOfImagePattern), true) {}

void CJpegType::Reset() {
  results_.clear();
  file_.reset();
  inScan_ = false;
  walking_ = false;
  skip_ = 0;
}

void CJpegType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  std::uint32_t position = 0;
  if (data != nullptr && unitSize >= kFirstSegmentLengthOffset + 2 && data[0] == kMarkerPrefix &&
      data[1] == kStartOfImage) {
    if (file_.isOpen()) file_.closeEarly(results_);
    file_.begin(unit);
    inScan_ = false;
    skip_ = be16(unitOnly(data, unitSize), kFirstSegmentLengthOffset);
    walking_ = skip_ != 0;
    position = kFirstSegmentLengthOffset;
  }
  if (!file_.isOpen()) return;
  if (data == nullptr) file_.markUnavailable();

  // Marker bytes that straddle the unit's end come from the look-ahead.
  const ByteSpan window = data != nullptr ? unitWithLookAhead(data, unitSize) : ByteSpan();
  // Every step moves forward by at least two bytes, so the walk ends within the unit.
  while (walking_) {
    const std::uint64_t next = static_cast<std::uint64_t>(position) + skip_;
    if (next >= unitSize) break;
    const auto at = static_cast<std::uint32_t>(next);
    if (inScan_) {
      walking_ = false;
      skip_ = 0;
      position = at;
      break;
    }
    if (data == nullptr || le8(window, at) != kMarkerPrefix) {
      file_.closeEarly(results_, file_.length() + unitSize);
      return;
    }
    const std::uint8_t marker = le8(window, at + 1);
    if (marker == kStuffedZero || marker == kTemporary || (marker >= kRestartFirst && marker <= kRestartLast)) {
      skip_ = kMarkerBytes;
    } else {
      if (marker == kStartOfScan) inScan_ = true;
      skip_ = static_cast<std::uint32_t>(be16(window, at + 2)) + kMarkerBytes;
    }
    position = at;
  }
  // The next marker lies in a later unit, possibly at its first byte.
  if (walking_) skip_ = skip_ + position - unitSize;

  if (inScan_ && !walking_ && data != nullptr) {
    const std::size_t found = endOfImage_.find(unitOnly(data, unitSize).subspan(position));
    if (found != BoyerMoore::npos) {
      file_.finish(results_, file_.length() + position + found + kMarkerBytes);
      return;
    }
  }
  file_.addUnit(results_, unitSize);
}

}  // namespace tarvosk
