// A picture decoded from a file's bytes: 32-bit pixels, row by row from the top.
#pragma once

#include <cstdint>
#include <vector>

namespace tarvosk {

struct DecodedPicture {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, not premultiplied
};

// Decoders refuse pictures of more pixels than this (a 10 MB file can claim any size).
constexpr std::uint64_t kMaxDecodedPixels = 64ull * 1024 * 1024;

// Whether width × height is a size a decoder may allocate.
inline bool isDecodableSize(std::uint64_t width, std::uint64_t height) {
  return width > 0 && height > 0 && width <= 65535 && height <= 65535 && width * height <= kMaxDecodedPixels;
}

inline std::uint32_t opaquePixel(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return 0xFF000000u | (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
}

}  // namespace tarvosk
