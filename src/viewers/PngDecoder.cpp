#include "viewers/PngDecoder.h"

#include <bit>

#include <png.h>

namespace tarvosk {

static_assert(std::endian::native == std::endian::little, "BGRA bytes are 0xAARRGGBB words on little-endian hosts only");

bool decodePng(std::span<const std::uint8_t> bytes, DecodedPicture& out) {
  out = DecodedPicture{};
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) return false;
  if (!isDecodableSize(image.width, image.height)) {
    png_image_free(&image);
    return false;
  }
  image.format = PNG_FORMAT_BGRA;
  out.width = image.width;
  out.height = image.height;
  out.pixels.resize(std::size_t{out.width} * out.height);
  // The library frees its state itself once the read ends, well or not.
  if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
    out = DecodedPicture{};
    return false;
  }
  return true;
}

}  // namespace tarvosk
