// How far past the fed unit a recogniser may read. The scan driver keeps the chunk after the
// current one readable, and a chunk holds at least one unit, so one unit size of look-ahead is
// always there. Those bytes are the stream's next bytes when their units were available and stale
// bytes otherwise; recognisers use them only for a field that straddles the unit's end (and TIFF
// for an offset array in the unit after).
#pragma once

#include <cstdint>

#include "platform/ByteOrder.h"

namespace tarvosk {

inline constexpr std::uint32_t kLookAheadUnits = 1;

// How many bytes from a unit's start a recogniser may read: the unit and its look-ahead.
inline constexpr std::size_t readableBytes(std::uint32_t unitSize) {
  return static_cast<std::size_t>(unitSize) * (1 + kLookAheadUnits);
}

// The unit's bytes followed by the guaranteed look-ahead; loads outside it give 0.
inline ByteSpan unitWithLookAhead(const std::uint8_t* data, std::uint32_t unitSize) {
  return ByteSpan(data, readableBytes(unitSize));
}

// The unit's own bytes.
inline ByteSpan unitOnly(const std::uint8_t* data, std::uint32_t unitSize) { return ByteSpan(data, unitSize); }

// Whether the bytes at off begin with text (exact, byte for byte).
inline bool hasBytesAt(ByteSpan b, std::size_t off, const char* text, std::size_t len) {
  if (!fitsIn(b.size(), off, len)) return false;
  for (std::size_t i = 0; i < len; ++i)
    if (b[off + i] != static_cast<std::uint8_t>(text[i])) return false;
  return true;
}

}  // namespace tarvosk
