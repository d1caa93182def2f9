#include "types/PDFFilter.h"

#include <string_view>

#include "settings/Settings.h"
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

void CPDFFilter::closeAtLastEnd() {
  if (exact_ && end_.lastEnd()) file_.finishWithin(results_, *end_.lastEnd(), kMaxCarvedFileLength);
  else file_.closeEarly(results_);
}

bool CPDFFilter::endsAtSecondMarker(const std::uint8_t* data, std::uint32_t unitSize) {
  const std::size_t p = endMarker_.find(ByteSpan(data, unitSize));
  if (p == BoyerMoore::npos) return false;
  if (endMarkerSeen_) {
    file_.finishWithin(results_, file_.length() + p + kEndMarkerAndLineEnd, kMaxCarvedFileLength);
    return true;
  }
  endMarkerSeen_ = true;
  return false;
}

void CPDFFilter::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data && startsWithSignature(ByteSpan(data, readableBytes(unitSize)))) {
    if (file_.isOpen()) closeAtLastEnd();
    file_.begin(unit);
    endMarkerSeen_ = false;
    exact_ = settings().ExactLengths;
    if (exact_) end_.begin();
  }
  if (!file_.isOpen()) return;

  // With exact lengths, a document that a checked marker may have ended is not carried across
  // a unit it cannot be read from, nor past the limit.
  const bool endKnown = exact_ && end_.lastEnd();
  if (endKnown && (!data || file_.length() + unitSize > kMaxCarvedFileLength)) {
    closeAtLastEnd();
    return;
  }
  if (!data) {
    file_.markUnavailable();
    if (exact_) end_.skipUnit();
  } else {
    if (exact_) {
      if (const auto end = end_.feed(ByteSpan(data, readableBytes(unitSize)), unitSize, file_.length())) {
        file_.finishWithin(results_, *end, kMaxCarvedFileLength);
        return;
      }
    }
    if ((!exact_ || !end_.foundCheckedMarker()) && endsAtSecondMarker(data, unitSize)) return;
  }
  file_.addUnit(results_, unitSize, kMaxCarvedFileLength);
}

}  // namespace tarvosk
