#include "types/PDFFilter.h"

#include <string_view>

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::string_view kStartSignature = "%PDF";  // compared without regard to ASCII case
constexpr std::string_view kEndMarker = "%%EOF";
// The reported end: the marker and one end-of-line byte after it.
constexpr std::uint64_t kEndMarkerAndLineEnd = kEndMarker.size() + 1;

ByteSpan asciiBytes(std::string_view text) {
  return ByteSpan(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

bool startsWithSignature(ByteSpan bytes) {
  if (bytes.size() < kStartSignature.size()) return false;
  for (std::size_t i = 0; i < kStartSignature.size(); ++i) {
    std::uint8_t b = bytes[i];
    if (b >= 'a' && b <= 'z') b = static_cast<std::uint8_t>(b - 32);
    if (b != static_cast<std::uint8_t>(kStartSignature[i])) return false;
  }
  return true;
}

}  // namespace

CPDFFilter::CPDFFilter() : endMarker_(asciiBytes(kEndMarker), false) {}

void CPDFFilter::Reset() {
  results_.clear();
  file_.reset();
  endMarkerSeen_ = false;
}

void CPDFFilter::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data && startsWithSignature(ByteSpan(data, readableBytes(unitSize)))) {
    if (file_.isOpen()) file_.closeEarly(results_);
    file_.begin(unit);
    endMarkerSeen_ = false;
  }
  if (!file_.isOpen()) return;

  if (!data) {
    file_.markUnavailable();
  } else {
    const std::size_t p = endMarker_.find(ByteSpan(data, unitSize));
    if (p != BoyerMoore::npos) {
      if (endMarkerSeen_) {
        file_.finishWithin(results_, file_.length() + p + kEndMarkerAndLineEnd, kMaxCarvedFileLength);
        return;
      }
      endMarkerSeen_ = true;
    }
  }
  file_.addUnit(results_, unitSize, kMaxCarvedFileLength);
}

}  // namespace tarvosk
