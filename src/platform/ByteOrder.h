// Bounded little-endian loads from byte spans: the only way on-disk fields are read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvosk {

using ByteSpan = std::span<const std::uint8_t>;

// True if len bytes at off lie inside a buffer of size bytes (no overflow).
constexpr bool fitsIn(std::size_t size, std::size_t off, std::size_t len) {
  return off <= size && len <= size - off;
}

// Loads give 0 for a field that does not lie wholly inside the span.
inline std::uint8_t le8(ByteSpan b, std::size_t off) { return off < b.size() ? b[off] : 0; }
inline std::uint16_t le16(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 2)) return 0;
  return static_cast<std::uint16_t>(b[off] | (b[off + 1] << 8));
}
inline std::uint32_t le32(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 4)) return 0;
  return static_cast<std::uint32_t>(b[off]) | (static_cast<std::uint32_t>(b[off + 1]) << 8) |
         (static_cast<std::uint32_t>(b[off + 2]) << 16) | (static_cast<std::uint32_t>(b[off + 3]) << 24);
}
inline std::uint64_t le64(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 8)) return 0;
  return static_cast<std::uint64_t>(le32(b, off)) | (static_cast<std::uint64_t>(le32(b, off + 4)) << 32);
}

// Big-endian loads, for formats whose fields are stored most significant byte first.
inline std::uint16_t be16(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 2)) return 0;
  return static_cast<std::uint16_t>((b[off] << 8) | b[off + 1]);
}
inline std::uint32_t be32(ByteSpan b, std::size_t off) {
  if (!fitsIn(b.size(), off, 4)) return 0;
  return (static_cast<std::uint32_t>(b[off]) << 24) | (static_cast<std::uint32_t>(b[off + 1]) << 16) |
         (static_cast<std::uint32_t>(b[off + 2]) << 8) | static_cast<std::uint32_t>(b[off + 3]);
}

inline void putLe16(std::uint8_t* p, std::uint16_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void putLe32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
inline void putLe64(std::uint8_t* p, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

}  // namespace tarvosk
