#include "types/BmpType.h"

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kSignatureOffset = 0;  // "BM"
constexpr std::size_t kFileSizeOffset = 2;   // 32-bit file size
constexpr std::size_t kReservedOffset = 6;   // two reserved words, both 0
constexpr std::size_t kHeaderBytes = 10;

}  // namespace

void CBmpType::Reset() { results_.clear(); }

void CBmpType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data == nullptr || unitSize < kHeaderBytes) return;
  const ByteSpan b = unitOnly(data, unitSize);
  if (!hasBytesAt(b, kSignatureOffset, "BM", 2) || le32(b, kReservedOffset) != 0) return;
  const std::uint32_t size = le32(b, kFileSizeOffset);
  if (size >= kMaxCarvedFileLength) return;
  results_.push_back({unit, size, kChanceNotRated});
}

}  // namespace tarvosk
