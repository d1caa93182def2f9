// PNG pictures through libpng.
#pragma once

#include <cstdint>
#include <span>

#include "viewers/DecodedPicture.h"

namespace tarvosk {

// Decodes a PNG with its transparency. False, with out empty, for a damaged or short stream or
// a size beyond what may be allocated.
bool decodePng(std::span<const std::uint8_t> bytes, DecodedPicture& out);

}  // namespace tarvosk
