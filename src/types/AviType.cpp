#include "types/AviType.h"

#include <algorithm>

#include "settings/Settings.h"
#include "types/LookAhead.h"

namespace tarvosk {
namespace {

constexpr std::size_t kRiffIdOffset = 0;      // "RIFF"
constexpr std::size_t kRiffSizeOffset = 4;    // 32-bit chunk size, without the 8-byte chunk header
constexpr std::size_t kFormOffset = 8;        // "AVI" (then a blank); "AVIX" in the chunks after
constexpr std::uint64_t kChunkHeaderBytes = 8;
constexpr std::size_t kHeaderBytes = 11;
constexpr std::size_t kExtensionHeaderBytes = 12;

// The size of the "AVIX" RIFF chunk at off, or 0 when none is there.
std::uint64_t extensionChunkSize(ByteSpan b, std::size_t off) {
  if (!hasBytesAt(b, off + kRiffIdOffset, "RIFF", 4) || !hasBytesAt(b, off + kFormOffset, "AVIX", 4)) return 0;
  return le32(b, off + kRiffSizeOffset) + kChunkHeaderBytes;
}

}  // namespace

void CAviType::Reset() {
  results_.clear();
  open_ = false;
}

void CAviType::followChunks(const std::uint8_t* data, std::uint32_t unitSize) {
  const std::uint64_t unitStart = counted_;
  counted_ += unitSize;
  if (data) {
    const ByteSpan window = unitWithLookAhead(data, unitSize);
    // Each chunk found moves the end on by at least its header, so the walk ends in the unit.
    while (chunksEnd_ >= unitStart && chunksEnd_ < counted_) {
      const auto off = static_cast<std::size_t>(chunksEnd_ - unitStart);
      const std::uint64_t size = fitsIn(window.size(), off, kExtensionHeaderBytes) ? extensionChunkSize(window, off) : 0;
      if (size == 0) break;
      chunksEnd_ += size;
    }
  }
  results_.back().length = std::min(counted_, chunksEnd_);
  // A chunk that ends at the unit's end may be followed by one at the next unit's start.
  if (chunksEnd_ < counted_) open_ = false;
}

void CAviType::Feed(std::uint64_t unit, const std::uint8_t* data, std::uint32_t unitSize) {
  if (data != nullptr && unitSize >= kHeaderBytes) {
    const ByteSpan b = unitOnly(data, unitSize);
    if (hasBytesAt(b, kRiffIdOffset, "RIFF", 4) && hasBytesAt(b, kFormOffset, "AVI", 3)) {
      // Counted in 64 bits: a size field near 4 GB gives its true length rather than wrapping.
      const std::uint64_t length = static_cast<std::uint64_t>(le32(b, kRiffSizeOffset)) + kChunkHeaderBytes;
      // A video open before ends where this one starts.
      open_ = settings().ExactLengths;
      results_.push_back({unit, open_ ? 0 : length, kChanceNotRated});
      chunksEnd_ = length;
      counted_ = 0;
    }
  }
  if (open_) followChunks(data, unitSize);
}

}  // namespace tarvosk
