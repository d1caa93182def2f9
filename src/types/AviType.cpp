#include "types/AviType.h"

#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kRiffIdOffset = 0;      // "RIFF"
constexpr std::size_t kRiffSizeOffset = 4;    // 32-bit chunk size, without the 8-byte chunk header
constexpr std::size_t kFormOffset = 8;        // "AVI" (then a blank)
constexpr std::uint64_t kChunkHeaderBytes = 8;
constexpr std::size_t kHeaderBytes = 11;

}  // namespace

void CAviType::Reset() { results_.clear(); }

void CAviType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data == nullptr || unitSize < kHeaderBytes) return;
  const ByteSpan b = unitOnly(data, unitSize);
  if (!hasBytesAt(b, kRiffIdOffset, "RIFF", 4) || !hasBytesAt(b, kFormOffset, "AVI", 3)) return;
  // Counted in 64 bits: a size field near 4 GB gives its true length rather than wrapping.
  const std::uint64_t length = static_cast<std::uint64_t>(le32(b, kRiffSizeOffset)) + kChunkHeaderBytes;
  results_.push_back({unit, length, kChanceNotRated});
}

}  // namespace tarvosk
