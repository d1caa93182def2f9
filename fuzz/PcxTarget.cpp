// The PCX decoder on any bytes: a picture it returns has exactly its width times its height of
// pixels, within the size a decoder may allocate.
#include "FuzzTarget.h"
#include "viewers/PcxDecoder.h"

using namespace tarvosk;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  DecodedPicture picture;
  if (decodePcx(std::span<const std::uint8_t>(data, size), picture)) {
    fuzz::require(isDecodableSize(picture.width, picture.height), "a decoded picture has an allocatable size");
    fuzz::require(picture.pixels.size() == std::size_t{picture.width} * picture.height, "every pixel is there");
  } else {
    fuzz::require(picture.pixels.empty() && picture.width == 0, "a failed decode leaves no picture");
  }
  return 0;
}
