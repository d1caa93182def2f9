// JPEG pictures through libjpeg-turbo.
#pragma once

#include <cstdint>
#include <span>

#include "viewers/DecodedPicture.h"

namespace tarvosk {

// Decodes a JPEG, at 1/2, 1/4 or 1/8 of its size when that still covers fitWidth × fitHeight
// (0 × 0: full size). False, with out empty, for anything that is not a whole JPEG: a damaged
// stream, one that ends early, a size beyond what may be allocated.
bool decodeJpeg(std::span<const std::uint8_t> bytes, DecodedPicture& out, std::uint32_t fitWidth = 0,
                std::uint32_t fitHeight = 0);

}  // namespace tarvosk
