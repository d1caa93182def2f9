#include "types/ZipFilter.h"

#include <cstring>

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::uint8_t kLocalHeaderSignature[4] = {0x50, 0x4B, 0x03, 0x04};
constexpr std::uint8_t kEndRecordSignature[4] = {0x50, 0x4B, 0x05, 0x06};
// End of central directory record: 22 bytes, then the archive comment.
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kCommentLengthOffset = 20;  // 16-bit, from the record's start

}  // namespace

CZipFilter::CZipFilter() : endRecord_(ByteSpan(kEndRecordSignature), false) {}

void CZipFilter::Reset() {
  results_.clear();
  file_.reset();
}

void CZipFilter::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  const ByteSpan readable = data ? ByteSpan(data, readableBytes(unitSize)) : ByteSpan();
  if (data && fitsIn(readable.size(), 0, sizeof kLocalHeaderSignature) &&
      std::memcmp(data, kLocalHeaderSignature, sizeof kLocalHeaderSignature) == 0) {
    if (file_.isOpen()) file_.closeEarly(results_);
    file_.begin(unit);
  }
  if (!file_.isOpen()) return;

  if (!data) {
    file_.markUnavailable();
  } else {
    const std::size_t p = endRecord_.find(ByteSpan(data, unitSize));
    if (p != BoyerMoore::npos) {
      // The record starts inside the unit; its comment length lies at most 21 bytes past the
      // unit's end, inside the look-ahead.
      const std::uint64_t length =
          file_.length() + p + kEndRecordSize + le16(readable, p + kCommentLengthOffset);
      file_.finishWithin(results_, length, kMaxZipFileLength);
      return;
    }
  }
  file_.addUnit(results_, unitSize, kMaxZipFileLength);
}

}  // namespace tarvosk
